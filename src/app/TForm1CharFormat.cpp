#include "CharFormatter.h"
#include "ColorEdit.h"
#include "FontComboBox.h"
#include "RichEdit.h"
#include "SizeBox.h"
#include "TForm1.h"

#include <QComboBox>
#include <QLineEdit>

void TForm1::initCharFormat() {
    charFormatter_->attachBoxes(RzFontComboBox1, sizeFont);
    RzFontComboBox1->setFontName(QStringLiteral("Times New Roman"));
    SizeBox::setup(sizeFont);
    RzColorEdit1->setSelectedColor(Qt::black);

    connect(RzFontComboBox1, &FontComboBox::changed, this,
            [this] { dispatch("RzFontComboBox1Change", &TForm1::RzFontComboBox1Change); });
    // A picked entry, or a typed size confirmed with Enter; typing alone applies nothing.
    connect(sizeFont, &QComboBox::activated, this,
            [this] { dispatch("sizeFontChange", &TForm1::sizeFontChange); });
    connect(sizeFont->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { dispatch("sizeFontChange", &TForm1::sizeFontChange); });
    connect(RzColorEdit1, &ColorEdit::changed, this,
            [this] { dispatch("RzColorEdit1Change", &TForm1::RzColorEdit1Change); });
}

void TForm1::RzToolButton9Click() {
    charFormatter_->toggleStyle(fsBold);
}

void TForm1::RzToolButton10Click() {
    charFormatter_->toggleStyle(fsItalic);
}

void TForm1::RzToolButton11Click() {
    charFormatter_->toggleStyle(fsUnderline);
}

void TForm1::RzFontComboBox1Change() {
    charFormatter_->applyFaceName(RzFontComboBox1->fontName());
}

void TForm1::sizeFontChange() {
    charFormatter_->applySizeText(sizeFont->currentText());
}

void TForm1::RzColorEdit1Change() {
    charFormatter_->applyColor(RzColorEdit1->selectedColor());
}

void TForm1::N16Click() {
    charFormatter_->runFontDialog();
}
