#pragma once

#include <QAbstractSpinBox>

// A number field for whole numbers 0..100 with small up and down buttons. Its text is the truth:
// the field never rejects a text that arrives by paste, and whoever reads it reads text(). Steps:
// 1 by the buttons, Up, Down and the wheel; 10 by PageUp, PageDown and Ctrl+wheel. Typing takes
// digits and one leading sign; other printable keys and Enter are refused with a beep. Leaving the
// field rewrites its text as the whole number it stands for, brought into 0..100.
class SpinEdit : public QAbstractSpinBox {
    Q_OBJECT
    // Read by assistive technology through the spin box's value interface.
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(int minimum READ minimum CONSTANT)
    Q_PROPERTY(int maximum READ maximum CONSTANT)
    Q_PROPERTY(int stepSize READ stepSize CONSTANT)
public:
    static constexpr int kMinimum = 0;
    static constexpr int kMaximum = 100;
    // The step of PageUp and PageDown (and of Ctrl+wheel, which Qt's spin box makes ten steps).
    static constexpr int kPageStep = 10;

    explicit SpinEdit(QWidget* parent = nullptr);

    // The number a text stands for, brought into 0..100 and rounded to a whole number; a text
    // that is not a number counts as 0.
    static int valueOf(const QString& text);

    int value() const { return valueOf(text()); }
    static int minimum() { return kMinimum; }
    static int maximum() { return kMaximum; }
    static int stepSize() { return 1; }
    // Writes value, brought into 0..100, as the text.
    void setValue(int value);
    // Replaces the text as it is, unchecked (what a paste does).
    void setText(const QString& text);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;
    QSize sizeHint() const override;

protected:
    StepEnabled stepEnabled() const override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Whether typing text (printable characters) is taken at the caret.
    bool acceptsTyped(const QString& typed) const;
};
