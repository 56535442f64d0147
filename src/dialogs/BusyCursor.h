#pragma once

#include <QObject>
#include <QSet>

// Shows the busy cursor for as long as it lives. Made around every command, so that one that takes
// long (opening or saving a large file, a search, a format applied to the whole text) shows that
// the program is working; a short one ends before the cursor is ever drawn. A dialog shown
// meanwhile gets the normal cursor for as long as it is shown. Nests: only the outermost acts.
class BusyCursor : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(BusyCursor)
public:
    BusyCursor();
    ~BusyCursor() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool outermost_ = false;
    QSet<QObject*> dialogs_; // dialogs shown since, still shown
};
