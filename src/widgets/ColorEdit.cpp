#include "ColorEdit.h"

ColorEdit::ColorEdit(QWidget* parent) : QWidget(parent) {}

void ColorEdit::setSelectedColor(const QColor& color) {
    selected_ = color;
    update();
}
