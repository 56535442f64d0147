#pragma once

#include "TextFormat.h"

#include <QByteArray>
#include <QHash>
#include <QRgb>
#include <QString>
#include <vector>

class QBrush;
class QTextCharFormat;
class QTextDocument;
namespace ParagraphPieces {
class Marks;
}

// A run's character format as RTF states it: its font and colour as indices into the file's
// tables.
struct RtfCharState {
    int font = -1;
    int halfPoints = 0;
    int color = 0; // 0: the automatic colour
    FontStyles styles;
    friend bool operator==(const RtfCharState&, const RtfCharState&) = default;
};

// The font and colour tables of an RTF file, made from the character formats its text uses and
// numbered in the order of their first use, so that the tables depend on the text alone and not
// on formats the document held once (its collection keeps every format ever used). Font 0 is the
// document's default font; the Symbol font, for bullets, is added when a paragraph has one.
class RtfTables {
public:
    RtfTables(const QTextDocument& document, const ParagraphPieces::Marks& pieces);

    // The state of the character format at index (what a run's charFormatIndex() counts), or
    // nullptr for an index outside the document's formats.
    const RtfCharState* charState(int index) const;
    // The Symbol font's index; -1 when no paragraph has a bullet.
    int symbolFont() const { return symbolFont_; }

    // The font table ({\fonttbl...}), then the colour table.
    void write(QByteArray& out) const;

private:
    struct FontKey {
        QString family;
        int charset;
        friend bool operator==(const FontKey&, const FontKey&) = default;
        friend size_t qHash(const FontKey& key, size_t seed = 0) {
            return qHashMulti(seed, key.family, key.charset);
        }
    };

    void collect(const ParagraphPieces::Marks& pieces);
    int fontIndex(const FontKey& key);
    int colorIndex(const QBrush& brush);
    RtfCharState charState(const QTextCharFormat& format);

    const QTextDocument& doc_;
    QHash<FontKey, int> fonts_;
    std::vector<FontKey> fontOrder_;
    QHash<QRgb, int> colors_;
    std::vector<QRgb> colorOrder_;
    std::vector<RtfCharState> states_;
    int symbolFont_ = -1;
};
