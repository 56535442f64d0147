#pragma once

#include <QColor>
#include <QComboBox>

// A drop-down list without typing, drawn flat: a bold (two-pixel) frame in frameColor, and while
// the pointer is over it a thin (one-pixel) frame in hotFrameColor.
class FramedComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit FramedComboBox(QWidget* parent = nullptr);

    // The gradient colour of an active window caption, and sky blue.
    static QColor frameColor() { return {185, 209, 234}; }
    static QColor hotFrameColor() { return {166, 202, 240}; }

    // Whether the hot frame is showing (the pointer is over the box).
    bool isHot() const { return hot_; }

    // Width of the drop-down button at the right, in pixels.
    static constexpr int kButtonWidth = 17;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void setHot(bool hot);

    bool hot_ = false;
};
