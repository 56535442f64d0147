#include "TextFormat.h"

FontStyles stylesOf(const QTextCharFormat& format) {
    FontStyles styles;
    styles.setFlag(fsBold, format.fontWeight() > QFont::Normal);
    styles.setFlag(fsItalic, format.fontItalic());
    styles.setFlag(fsUnderline, format.fontUnderline());
    styles.setFlag(fsStrikeOut, format.fontStrikeOut());
    return styles;
}

void setStyles(QTextCharFormat& format, FontStyles styles) {
    format.setFontWeight(styles.testFlag(fsBold) ? QFont::Bold : QFont::Normal);
    format.setFontItalic(styles.testFlag(fsItalic));
    format.setFontUnderline(styles.testFlag(fsUnderline));
    format.setFontStrikeOut(styles.testFlag(fsStrikeOut));
}

void setStyles(QFont& font, FontStyles styles) {
    font.setBold(styles.testFlag(fsBold));
    font.setItalic(styles.testFlag(fsItalic));
    font.setUnderline(styles.testFlag(fsUnderline));
    font.setStrikeOut(styles.testFlag(fsStrikeOut));
}

ParaAlignment alignmentOf(const QTextBlockFormat& format) {
    const Qt::Alignment a = format.alignment() & Qt::AlignHorizontal_Mask;
    if (a & Qt::AlignHCenter) {
        return ParaAlignment::Center;
    }
    if (a & Qt::AlignRight) {
        return ParaAlignment::Right;
    }
    return ParaAlignment::Left;
}

Qt::Alignment toQtAlignment(ParaAlignment alignment) {
    switch (alignment) {
    case ParaAlignment::Center:
        return Qt::AlignHCenter;
    case ParaAlignment::Right:
        return Qt::AlignRight;
    case ParaAlignment::Left:
        break;
    }
    return Qt::AlignLeft;
}
