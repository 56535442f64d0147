#pragma once

#include <QDialog>

// The modeless find dialog: find-what field, match-case box, find-next and cancel buttons.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

signals:
    // The user asked for the next occurrence.
    void find();
};
