#include "CharFormatter.h"

#include "Errors.h"
#include "FontComboBox.h"
#include "RichEdit.h"
#include "SizeBox.h"

CharFormatter::CharFormatter(RichEdit& editor, Prompts& prompts)
    : editor_(editor), prompts_(prompts) {}

void CharFormatter::attachBoxes(FontComboBox* fontBox, QComboBox* sizeBox) {
    fontBox_ = fontBox;
    sizeBox_ = sizeBox;
}

void CharFormatter::toggleStyle(FontStyle member) {
    const FontStyles current = editor_.selStyles();
    editor_.setSelStyles(current == FontStyles(member) ? FontStyles() : FontStyles(member));
}

void CharFormatter::applyFaceName(const QString& face) {
    editor_.setSelFaceName(face);
    editor_.setFocus();
}

int CharFormatter::sizeFromText(const QString& text) {
    const int size = toInteger(text);
    if (size < kMinSize || size > kMaxSize) {
        throw ConvertError(text);
    }
    return size;
}

void CharFormatter::applySizeText(const QString& text) {
    editor_.setSelSizeTwips(sizeFromText(text) * kTwipsPerPoint);
    editor_.setFocus();
}

void CharFormatter::applyColor(const QColor& color) {
    editor_.setSelColor(color);
    editor_.setFocus();
}

void CharFormatter::runFontDialog() {
    TextFont font = dialogFont_;
    if (prompts_.runFontDialog(font)) {
        dialogFont_ = font;
        assignFont(font);
        showInBoxes(font);
    }
    editor_.setFocus();
}

void CharFormatter::assignFont(const TextFont& font) {
    editor_.setSelColor(font.color);
    editor_.setSelFaceName(font.name);
    editor_.setSelCharset(font.charset);
    editor_.setSelStyles(font.style);
    editor_.setSelSizeTwips(font.size * kTwipsPerPoint);
}

void CharFormatter::showInBoxes(const TextFont& font) {
    if (fontBox_ != nullptr) {
        fontBox_->setFontName(font.name);
    }
    if (sizeBox_ != nullptr) {
        SizeBox::showText(sizeBox_, QString::number(font.size));
    }
}
