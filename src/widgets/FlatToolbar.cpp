#include "FlatToolbar.h"

#include "ToolbarLayout.h"
#include "WidgetAccessibility.h"

#include <QPainter>
#include <QResizeEvent>

FlatToolbar::FlatToolbar(QWidget* parent) : QWidget(parent), layout_(new ToolbarLayout(this)) {
    WidgetAccessibility::install();
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setFixedHeight(ToolbarLayout::heightOfRows(1));
}

void FlatToolbar::addControl(QWidget* control) {
    layout_->addWidget(control);
    layout_->setGeometry(rect());
}

QList<QWidget*> FlatToolbar::controls() const {
    QList<QWidget*> controls;
    for (int i = 0; i < layout_->count(); ++i) {
        controls.append(layout_->itemAt(i)->widget());
    }
    return controls;
}

QList<QPoint> FlatToolbar::arrange(int width, int* rows) const {
    return layout_->arrange(width, rows);
}

int FlatToolbar::heightForWidth(int width) const {
    return layout_->heightForWidth(width);
}

QSize FlatToolbar::sizeHint() const {
    return layout_->sizeHint();
}

QSize FlatToolbar::minimumSizeHint() const {
    return layout_->minimumSize();
}

void FlatToolbar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layout_->setGeometry(rect());
    // The height follows the rows; the parent's layout then gives the rest to its other widgets.
    const int height = heightForWidth(width());
    if (minimumHeight() != height || maximumHeight() != height) {
        setFixedHeight(height);
    }
}

void FlatToolbar::paintEvent(QPaintEvent* /*event*/) {
    // The groove along the top edge: a shadow line above a highlight line.
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(0, 0, width() - 1, 0);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(0, 1, width() - 1, 1);
}
