#include "ColorEdit.h"

#include "ColorGrid.h"
#include "WidgetAccessibility.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <algorithm>

ColorEdit::ColorEdit(QWidget* parent) : QWidget(parent), grid_(new ColorGrid(this)) {
    WidgetAccessibility::install();
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(grid_, &ColorGrid::picked, this, &ColorEdit::onPicked);
}

void ColorEdit::setSelectedColor(const QColor& color) {
    selected_ = color;
    update();
    QAccessibleValueChangeEvent event(this, ColorGrid::nameOf(color));
    QAccessible::updateAccessibility(&event);
}

QSize ColorEdit::sizeHint() const {
    return {56, 21};
}

QSize ColorEdit::minimumSizeHint() const {
    return {40, 18};
}

void ColorEdit::onPicked(const QColor& color) {
    setSelectedColor(color);
    emit changed();
}

void ColorEdit::showPopup() {
    grid_->setCurrent(ColorGrid::indexOf(selected_));

    // Below the box, kept on its screen.
    QPoint at = mapToGlobal(QPoint(0, height()));
    const QSize size = grid_->sizeHint();
    if (const QScreen* s = screen()) {
        const QRect area = s->availableGeometry();
        if (at.y() + size.height() > area.bottom()) {
            at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        }
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
    }
    grid_->move(at);
    grid_->resize(size);
    grid_->show();
    grid_->setFocus(Qt::PopupFocusReason);
}

void ColorEdit::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    QStyleOptionComboBox option;
    option.initFrom(this);
    option.editable = false;
    option.frame = true;
    option.subControls = QStyle::SC_All;
    style()->drawComplexControl(QStyle::CC_ComboBox, &option, &p, this);

    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    const QRect swatch = field.adjusted(2, 2, -2, -2);
    p.fillRect(swatch, selected_);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(swatch.adjusted(0, 0, -1, -1));
    if (hasFocus()) {
        p.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        p.drawRect(field.adjusted(0, 0, -1, -1));
    }
}

void ColorEdit::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setFocus(Qt::MouseFocusReason);
        showPopup();
        return;
    }
    QWidget::mousePressEvent(event);
}

void ColorEdit::keyPressEvent(QKeyEvent* event) {
    const bool altDown = event->key() == Qt::Key_Down && (event->modifiers() & Qt::AltModifier);
    if (altDown || event->key() == Qt::Key_F4 || event->key() == Qt::Key_Space) {
        showPopup();
        return;
    }
    QWidget::keyPressEvent(event);
}
