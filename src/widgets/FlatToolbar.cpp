#include "FlatToolbar.h"

#include <QPainter>
#include <QResizeEvent>

FlatToolbar::FlatToolbar(QWidget* parent) : QWidget(parent) {
    QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setFixedHeight(kRowHeight + kExtraHeight);
}

void FlatToolbar::addControl(QWidget* control) {
    control->setParent(this);
    controls_.append(control);
    relayout();
}

QList<QPoint> FlatToolbar::arrange(int width, int* rows) const {
    QList<QPoint> positions;
    positions.reserve(controls_.size());
    int x = kLeft;
    int rowTop = kTop;
    int rowCount = 1;
    for (const QWidget* control : controls_) {
        const QSize size = control->size();
        if (x > kLeft && x + size.width() > width - kRightMargin) {
            x = kLeft;
            rowTop += kRowHeight;
            ++rowCount;
        }
        positions.append(QPoint(x, rowTop + (kRowHeight - size.height()) / 2));
        x += size.width();
    }
    if (rows != nullptr) {
        *rows = rowCount;
    }
    return positions;
}

int FlatToolbar::rowsForWidth(int width) const {
    int rows = 1;
    arrange(width, &rows);
    return rows;
}

int FlatToolbar::heightForWidth(int width) const {
    return kRowHeight * rowsForWidth(width) + kExtraHeight;
}

QSize FlatToolbar::sizeHint() const {
    int right = kLeft;
    for (const QWidget* control : controls_) {
        right += control->width();
    }
    return {right + kRightMargin, kRowHeight + kExtraHeight};
}

QSize FlatToolbar::minimumSizeHint() const {
    return {0, kRowHeight + kExtraHeight};
}

void FlatToolbar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    relayout();
}

void FlatToolbar::relayout() {
    int rows = 1;
    const QList<QPoint> positions = arrange(width(), &rows);
    for (qsizetype i = 0; i < controls_.size(); ++i) {
        controls_[i]->move(positions[i]);
    }
    // The height follows the rows; the parent's layout then gives the rest to its other widgets.
    const int height = kRowHeight * rows + kExtraHeight;
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
