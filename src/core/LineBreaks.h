#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

// Where paragraphs break, in each form the text takes: the program's text and its files put CR LF
// between paragraphs; Qt's document holds one separator per break (U+2029, or U+2028 for a line
// break inside a paragraph, which the editor treats as a paragraph break too); plain text going
// into the editor uses '\n'.
namespace LineBreaks {

// The break Qt's document text holds between two blocks.
inline constexpr QChar kBlockSeparator{QChar::ParagraphSeparator};

// A paragraph break as Qt's document text holds it.
inline bool isSeparator(QChar c) {
    return c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

// Any character that breaks a paragraph in text from outside: CR, LF or a separator.
inline bool isBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || isSeparator(c);
}

// Qt's document text with every separator as CR LF. One pass; a text without breaks is returned
// shared.
QString toCrLf(const QString& text);

// Qt's document text with every separator as '\n', as plain text outside the program reads it.
QString toLf(QString text);

// A text in the program's form (breaks as CR LF) as Qt's document holds it: each CR LF becomes a
// paragraph separator.
QString crLfToSeparators(const QString& text);

// Plain text made ready for the editor in one pass: CR LF, a lone CR, LF and a separator each
// become one paragraph break ('\n'), and characters outside Windows-1251 become what
// Cp1251::storable makes of them.
QString toEditorText(QStringView text);
// The same; a text that needs no change is returned shared, without a copy.
QString toEditorText(const QString& text);

} // namespace LineBreaks
