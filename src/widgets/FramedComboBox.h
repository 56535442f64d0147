#pragma once

#include <QColor>
#include <QComboBox>

// A drop-down list without typing, drawn flat: a bold (two-pixel) frame in frameColor, and while
// the pointer is over it a thin (one-pixel) frame in hotFrameColor.
class FramedComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit FramedComboBox(QWidget* parent = nullptr);

    QColor frameColor() const { return frameColor_; }
    void setFrameColor(const QColor& color);
    QColor hotFrameColor() const { return hotFrameColor_; }
    void setHotFrameColor(const QColor& color);

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

    QColor frameColor_;
    QColor hotFrameColor_;
    bool hot_ = false;
};
