#pragma once

#include <QColor>
#include <QFlags>
#include <QFont>
#include <QString>
#include <QTextFormat>

// Character styles as the program names them.
enum FontStyle { fsBold = 0x1, fsItalic = 0x2, fsUnderline = 0x4, fsStrikeOut = 0x8 };
Q_DECLARE_FLAGS(FontStyles, FontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(FontStyles)

// Character set numbers as stored with a face (the RTF \fcharset values).
namespace Charset {
constexpr int Ansi = 0;
constexpr int Default = 1;
constexpr int Symbol = 2;
constexpr int Russian = 204;
} // namespace Charset

// A whole font as the font dialog edits it and assigns it to a selection. An invalid colour stands
// for the automatic (window-text) colour.
struct TextFont {
    QString name = QStringLiteral("MS Sans Serif");
    int size = 8; // whole points
    FontStyles style;
    QColor color;
    int charset = Charset::Default;
    friend bool operator==(const TextFont&, const TextFont&) = default;
};

// In the order of the paragraph dialog's list.
enum class ParaAlignment { Left, Center, Right };
enum class ParaNumbering { None = 0, Bullet = 1 };

// --- how the program's attributes stand in Qt's formats ------------------------------------

// The style set of a character format: bold is any weight above normal.
FontStyles stylesOf(const QTextCharFormat& format);
// Writes the whole style set into format.
void setStyles(QTextCharFormat& format, FontStyles styles);
void setStyles(QFont& font, FontStyles styles);

// A paragraph's alignment: centred, right-aligned, or else left (justified counts as left).
ParaAlignment alignmentOf(const QTextBlockFormat& format);
Qt::Alignment toQtAlignment(ParaAlignment alignment);

// Properties the editor keeps in Qt's formats beside Qt's own: the character set of a run, and a
// paragraph's indents in twips exactly as written (Qt's margins hold them in pixels for drawing).
namespace TextProperty {
constexpr int Charset = QTextFormat::UserProperty + 1;
constexpr int StartIndent = QTextFormat::UserProperty + 2;
constexpr int Offset = QTextFormat::UserProperty + 3;
constexpr int RightIndent = QTextFormat::UserProperty + 4;
} // namespace TextProperty

// Twips per point, points per inch, and so twips per inch.
constexpr int kTwipsPerPoint = 20;
constexpr int kPointsPerInch = 72;
constexpr int kTwipsPerInch = kTwipsPerPoint * kPointsPerInch;
// Pixels per inch of a CSS pixel, the unit of pixel sizes in HTML.
constexpr int kCssPixelsPerInch = 96;

// Longest face name the editor keeps.
constexpr int kMaxFaceName = 31;
