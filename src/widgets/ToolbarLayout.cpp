#include "ToolbarLayout.h"

#include <QWidget>

ToolbarLayout::ToolbarLayout(QWidget* parent) : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(0);
    // The toolbar sets its own height from the rows; the layout puts no limits on its size.
    setSizeConstraint(QLayout::SetNoConstraint);
}

ToolbarLayout::~ToolbarLayout() {
    while (QLayoutItem* item = takeAt(0)) {
        delete item;
    }
}

void ToolbarLayout::addItem(QLayoutItem* item) {
    items_.append(item);
    invalidate();
}

QLayoutItem* ToolbarLayout::takeAt(int index) {
    if (index < 0 || index >= items_.size()) {
        return nullptr;
    }
    QLayoutItem* item = items_.takeAt(index);
    invalidate();
    return item;
}

QList<QPoint> ToolbarLayout::arrange(int width, int* rows) const {
    QList<QPoint> positions;
    positions.reserve(items_.size());
    int x = kLeft;
    int rowTop = kTop;
    int rowCount = 1;
    for (const QLayoutItem* item : items_) {
        const QSize size = item->sizeHint();
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

int ToolbarLayout::heightForWidth(int width) const {
    int rows = 1;
    arrange(width, &rows);
    return heightOfRows(rows);
}

QSize ToolbarLayout::sizeHint() const {
    int right = kLeft;
    for (const QLayoutItem* item : items_) {
        right += item->sizeHint().width();
    }
    return {right + kRightMargin, heightOfRows(1)};
}

QSize ToolbarLayout::minimumSize() const {
    return {0, heightOfRows(1)};
}

void ToolbarLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QList<QPoint> positions = arrange(rect.width());
    for (qsizetype i = 0; i < items_.size(); ++i) {
        items_[i]->setGeometry(QRect(rect.topLeft() + positions[i], items_[i]->sizeHint()));
    }
}
