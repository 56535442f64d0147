#include "FramedComboBox.h"

#include <QAbstractItemView>
#include <QPainter>
#include <QStyleOption>

FramedComboBox::FramedComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(false);
    setAttribute(Qt::WA_Hover);
}

void FramedComboBox::setHot(bool hot) {
    if (hot_ != hot) {
        hot_ = hot;
        update();
    }
}

void FramedComboBox::enterEvent(QEnterEvent* event) {
    setHot(true);
    QComboBox::enterEvent(event);
}

void FramedComboBox::leaveEvent(QEvent* event) {
    setHot(false);
    QComboBox::leaveEvent(event);
}

void FramedComboBox::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    const QPalette& pal = palette();
    const QRect all = rect();
    const QRect inner = all.adjusted(2, 2, -2, -2);
    p.fillRect(all, isEnabled() ? pal.base() : pal.window());

    // The drop-down button: flat, in the button face, its arrow centred.
    const QRect button(inner.right() - kButtonWidth + 1, inner.top(), kButtonWidth, inner.height());
    p.fillRect(button, pal.button());
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = button.adjusted(4, 4, -4, -4);
    style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p, this);

    // The entry: highlighted while the box has the focus, as a drop-down list shows it.
    const QRect field(inner.left(), inner.top(), button.left() - inner.left(), inner.height());
    QColor textColor =
        pal.color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Text);
    if (hasFocus() && !view()->isVisible()) {
        p.fillRect(field.adjusted(1, 1, -1, -1), pal.highlight());
        textColor = pal.color(QPalette::HighlightedText);
    }
    p.setPen(textColor);
    p.setFont(font());
    p.drawText(field.adjusted(3, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, currentText());

    // The frame: bold normally, thin and hot while the pointer is over the box.
    p.setPen(Qt::NoPen);
    if (hot_) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(hotFrameColor(), 1));
        p.drawRect(all.adjusted(0, 0, -1, -1));
    } else {
        p.setPen(QPen(frameColor(), 1));
        p.drawRect(all.adjusted(0, 0, -1, -1));
        p.drawRect(all.adjusted(1, 1, -2, -2));
    }
}
