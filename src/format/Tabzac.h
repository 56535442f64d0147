#pragma once

#include <QDialog>

class FramedComboBox;
class ParaFormatter;
class QFrame;
class QLabel;
class QPushButton;
class SpinEdit;

// The paragraph dialog: alignment, the offset of the later lines ("Слева"), the right indent
// ("Справа") and the first-line indent ("Первой строки на:"), in points. A tool window that stays
// on top, laid out at fixed pixel positions. It is never preset from the paragraph: it hides
// instead of closing, so its controls keep what they showed, and it reappears where it was.
// Enter and Escape press neither button.
class Tabzac : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Tabzac)
public:
    explicit Tabzac(QWidget* parent = nullptr);
    ~Tabzac() override;

    QLabel* Label1 = nullptr;
    FramedComboBox* RzComboBox1 = nullptr;
    QFrame* Bevel1 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label3 = nullptr;
    SpinEdit* RzSpinEdit1 = nullptr; // offset of the later lines
    QLabel* Label4 = nullptr;
    SpinEdit* RzSpinEdit2 = nullptr; // right indent
    QLabel* Label5 = nullptr;
    SpinEdit* RzSpinEdit3 = nullptr; // first-line indent
    QPushButton* Button1 = nullptr;  // "Ок"
    QPushButton* Button2 = nullptr;  // "Отмена"

    // Where "Ок" writes; without one it only closes.
    void setParaFormatter(ParaFormatter* formatter) { formatter_ = formatter; }

    // "Ок": writes the alignment and the three indents to the paragraphs the selection touches,
    // then closes. A field whose text is not an integer ends it there (ConvertError), the dialog
    // staying open.
    void Button1Click();
    // "Отмена": closes, writing nothing.
    void Button2Click();

    // Shows abzac modally over owner, creating it first (owned by owner) if it does not exist.
    static void execute(QWidget* owner, ParaFormatter& formatter);

    // The first showing centres the dialog's frame over its owner's frame.
    void setVisible(bool visible) override;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildLayout();
    QLabel* addLabel(const QString& text, const QRect& bounds);
    SpinEdit* addSpinEdit(const char* name, const QRect& bounds);

    ParaFormatter* formatter_ = nullptr;
    bool placed_ = false;
};

// The paragraph dialog, from start-up to exit.
extern Tabzac* abzac;
