#pragma once

#include "FindText.h"

#include <QDialog>
#include <QPoint>
#include <QRect>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The modeless find dialog: find-what field, match-case box, find-next and cancel buttons. It
// stays open while the user edits in its owner window; every find-next request (the button or
// Enter) is reported through find(). Closing it (cancel, Escape, the close box) only hides it, so
// the match-case box keeps its state, and its last position is remembered.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    // The position that means "not set": the dialog stays where it was centred.
    static constexpr QPoint kNoPosition{-1, -1};

    explicit FindDialog(QWidget* parent = nullptr);

    // Opens the dialog over the active window (its owner when no other window of the program is
    // active), or brings an open one to the top. findText presets the field only when the dialog
    // opens; the field of an open dialog keeps what it holds.
    void execute(const QString& findText);

    // What to find: the field's text as of the last request or closing, else the preset.
    QString findText() const;
    void setFindText(const QString& text); // keeps the first kMaxFindText characters
    bool matchCase() const;
    void setMatchCase(bool on);

    // The stored top-left corner in screen pixels; kNoPosition until set. Setting it moves an open
    // dialog there at once; a closed one opens there next time.
    QPoint position() const { return position_; }
    void setPosition(const QPoint& position);

    // Where the dialog goes over a window with these outer bounds: the window's centre less
    // (187, 67), each halving truncated toward zero.
    static QPoint positionOver(const QRect& frame);

    QLineEdit* findEdit() const { return edit_; }
    QCheckBox* matchCaseBox() const { return matchCase_; }
    QPushButton* findNextButton() const { return findNext_; }
    QPushButton* cancelButton() const { return cancel_; }

    void done(int result) override;

signals:
    // The user asked for the next occurrence of findText().
    void find();

private:
    void showOver(const QWidget* over);
    void centreOn(const QWidget* over);
    void requestFind();

    QLineEdit* edit_;
    QCheckBox* matchCase_;
    QPushButton* findNext_;
    QPushButton* cancel_;
    QString findText_;
    QPoint position_ = kNoPosition;
};
