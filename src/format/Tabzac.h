#pragma once

#include <QDialog>

// The paragraph dialog.
class Tabzac : public QDialog {
    Q_OBJECT
public:
    explicit Tabzac(QWidget* parent = nullptr);
};

// The paragraph dialog, from start-up to exit.
extern Tabzac* abzac;
