#include "FontComboBox.h"

FontComboBox::FontComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::activated, this, &FontComboBox::changed);
}

QString FontComboBox::fontName() const { return currentIndex() >= 0 ? currentText() : QString(); }

void FontComboBox::setFontName(const QString& name) {
    setCurrentIndex(findText(name, Qt::MatchFixedString));
}
