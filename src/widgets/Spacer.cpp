#include "Spacer.h"

#include "WidgetAccessibility.h"

#include <QPainter>

Spacer::Spacer(bool grooved, QWidget* parent) : QWidget(parent), grooved_(grooved) {
    WidgetAccessibility::install();
    setFixedSize(8, 25);
    setFocusPolicy(Qt::NoFocus);
}

void Spacer::paintEvent(QPaintEvent* /*event*/) {
    if (!grooved_) {
        return;
    }
    // A groove: a shadow line with a highlight line just right of it.
    QPainter p(this);
    const int x = width() / 2 - 1;
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(x, 2, x, height() - 3);
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(x + 1, 2, x + 1, height() - 3);
}
