#include "RtfTables.h"

#include "FontKind.h"
#include "ParagraphPieces.h"
#include "RtfText.h"

#include <QBrush>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextList>
#include <array>
#include <cmath>

namespace {

// The character set written for a face whose set is the default one: this is a Cyrillic program.
constexpr int kDefaultCharsetOut = Charset::Russian;

// The font table's words for a face's kind, in the order of FontKind's values.
constexpr std::array<const char*, 7> kFamilyWords{"\\fnil",    "\\froman", "\\fswiss", "\\fmodern",
                                                  "\\fscript", "\\fdecor", "\\ftech"};
constexpr std::array<const char*, 3> kPitchWords{"", "\\fprq1", "\\fprq2"};

} // namespace

RtfTables::RtfTables(const QTextDocument& document, const ParagraphPieces::Marks& pieces)
    : doc_(document) {
    collect(pieces);
}

const RtfCharState* RtfTables::charState(int index) const {
    if (index < 0 || static_cast<size_t>(index) >= states_.size()) {
        return nullptr;
    }
    return &states_[index];
}

void RtfTables::write(QByteArray& out) const {
    out.append("{\\fonttbl");
    for (size_t i = 0; i < fontOrder_.size(); ++i) {
        const FontKey& key = fontOrder_[i];
        const FontKind kind = FontKind::of(key.family, key.charset);
        out.append("{\\f" + QByteArray::number(i) +
                   kFamilyWords.at(static_cast<size_t>(kind.family)) + "\\fcharset" +
                   QByteArray::number(key.charset) +
                   kPitchWords.at(static_cast<size_t>(kind.pitch)) + ' ');
        RtfText::append(out, key.family);
        out.append(";}");
    }
    out.append("}\r\n{\\colortbl ;");
    for (const QRgb rgb : colorOrder_) {
        out.append("\\red" + QByteArray::number(qRed(rgb)) + "\\green" +
                   QByteArray::number(qGreen(rgb)) + "\\blue" + QByteArray::number(qBlue(rgb)) +
                   ';');
    }
    out.append("}\r\n");
}

// States are kept by format index, which is what a run's charFormatIndex() counts in.
void RtfTables::collect(const ParagraphPieces::Marks& pieces) {
    const QList<QTextFormat> formats = doc_.allFormats();
    states_.resize(formats.size());
    std::vector<signed char> seen(formats.size(), 0); // block formats: 1 bullet, -1 none
    const auto use = [&](int index) {
        if (index >= 0 && index < formats.size() && seen[index] == 0 &&
            formats[index].isCharFormat()) {
            seen[index] = 1;
            states_[index] = charState(formats[index].toCharFormat());
        }
    };
    const auto bulleted = [&](const QTextBlock& block) {
        const int index = block.blockFormatIndex();
        if (index < 0 || index >= formats.size()) {
            return false;
        }
        if (seen[index] == 0) {
            const int object = formats[index].objectIndex();
            seen[index] = qobject_cast<const QTextList*>(doc_.object(object)) ? 1 : -1;
        }
        return seen[index] > 0;
    };
    fontIndex({doc_.defaultFont().family(), kDefaultCharsetOut});
    for (QTextBlock block = doc_.begin(); block.isValid(); block = block.next()) {
        if (symbolFont_ < 0 && !pieces.continues(block) && bulleted(block)) {
            symbolFont_ = fontIndex({QStringLiteral("Symbol"), Charset::Symbol});
        }
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            use(it.fragment().charFormatIndex());
        }
        if (pieces.continues(block.next())) {
            use(block.next().charFormatIndex());
        }
    }
}

int RtfTables::fontIndex(const FontKey& key) {
    auto it = fonts_.constFind(key);
    if (it != fonts_.constEnd()) {
        return it.value();
    }
    const int index = static_cast<int>(fontOrder_.size());
    fonts_.insert(key, index);
    fontOrder_.push_back(key);
    return index;
}

int RtfTables::colorIndex(const QBrush& brush) {
    if (brush.style() == Qt::NoBrush) {
        return 0;
    }
    const QRgb rgb = brush.color().rgb() & 0xFFFFFF;
    auto it = colors_.constFind(rgb);
    if (it != colors_.constEnd()) {
        return it.value();
    }
    colorOrder_.push_back(rgb);
    const int index = static_cast<int>(colorOrder_.size());
    colors_.insert(rgb, index);
    return index;
}

RtfCharState RtfTables::charState(const QTextCharFormat& format) {
    QString family = format.fontFamilies().toStringList().value(0);
    if (family.isEmpty()) {
        family = format.property(QTextFormat::FontFamily).toString();
    }
    if (family.isEmpty()) {
        family = doc_.defaultFont().family();
    }
    int charset = format.hasProperty(TextProperty::Charset)
                      ? format.intProperty(TextProperty::Charset)
                      : Charset::Default;
    if (charset == Charset::Default) {
        charset = kDefaultCharsetOut;
    }
    qreal points = format.hasProperty(QTextFormat::FontPointSize) ? format.fontPointSize()
                                                                  : doc_.defaultFont().pointSizeF();
    if (points <= 0) {
        points = 12;
    }
    RtfCharState s;
    s.font = fontIndex({family, charset});
    s.halfPoints = static_cast<int>(std::lround(points * 2));
    s.color =
        format.hasProperty(QTextFormat::ForegroundBrush) ? colorIndex(format.foreground()) : 0;
    s.styles = stylesOf(format);
    return s;
}
