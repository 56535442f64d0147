#pragma once

#include <QTimer>
#include <QToolButton>

// A flat 25 x 25 toolbar button that shows only its glyph and never takes the focus. Its hint
// (toolTip) shows 500 ms after the pointer comes to rest on it and hides after 2500 ms; moving
// straight onto another button while a hint is up shows that button's hint at once.
class ToolButton : public QToolButton {
    Q_OBJECT
public:
    explicit ToolButton(QWidget* parent = nullptr);

    static constexpr int kHintDelayMs = 500;
    static constexpr int kHintDurationMs = 2500;

    // Shows this button's hint now, below the pointer.
    void showHint();

protected:
    bool event(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    QTimer hintTimer_; // a child of the button, which the button's tests find
};
