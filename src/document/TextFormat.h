#pragma once

#include <QColor>
#include <QFlags>
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

enum class ParaAlignment { Left, Center, Right };
enum class ParaNumbering { None = 0, Bullet = 1 };

// Properties the editor keeps in Qt's formats beside Qt's own: the character set of a run, and a
// paragraph's indents in twips exactly as written (Qt's margins hold them in pixels for drawing).
namespace TextProperty {
constexpr int Charset = QTextFormat::UserProperty + 1;
constexpr int StartIndent = QTextFormat::UserProperty + 2;
constexpr int Offset = QTextFormat::UserProperty + 3;
constexpr int RightIndent = QTextFormat::UserProperty + 4;
} // namespace TextProperty

// Twips per point.
constexpr int kTwipsPerPoint = 20;

// Longest face name the editor keeps.
constexpr int kMaxFaceName = 31;

// Most paragraphs one bullet list holds. Qt adds and removes a list's paragraphs in time linear in
// the list's size, so one list over many paragraphs would cost quadratic time; a long run of
// bullets is split into several lists. Bullets carry no number, so nothing shows the seams.
constexpr int kParagraphsPerList = 64;
