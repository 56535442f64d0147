#pragma once

#include "Prompts.h"

#include <QDialog>
#include <QPoint>
#include <QRect>
#include <QSize>

class QPushButton;

// The program's message dialog: the text word-wrapped beside the icon of its type, the buttons in a
// row below, centred. Captions and buttons are English. The default button is OK if present, else
// Yes (Cancel with mbDefaultCancel); Escape presses Cancel if present, else No, else OK; the
// title-bar close box answers mrCancel.
class MessageDialog : public QDialog {
    Q_OBJECT
public:
    MessageDialog(const QString& text, MsgDlgType type, int buttons, QWidget* parent = nullptr);

    static QString captionFor(MsgDlgType type);
    QPushButton* button(MsgDlgButton which) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void addButton(int buttons, MsgDlgButton which, const QString& caption, int answer);

    QPushButton* buttons_[4] = {};
    QPushButton* escapeButton_ = nullptr;
};

// Where a dialog of size dialog goes to stand centred over form: each size halved on its own
// (FramePlacement::Halving::EachSize).
QPoint centeredPosition(const QRect& form, const QSize& dialog);

// Beeps, shows the message dialog modally centred over the active window and returns the answer:
// mrYes, mrNo, mrOk or mrCancel. A caption given replaces the type's.
int CenteredMessage(const QString& text, MsgDlgType type, int buttons, const QString& caption = {});
