// The RTF writer on random documents built with a text cursor as the editor builds them: random
// text (any UTF-16, tabs, line and paragraph breaks), selections, character attributes, paragraph
// formats and undo. The output
// must be 7-bit, well formed, and read back as the document's paragraphs with each character's
// styles, size and face and each paragraph's alignment, indents and bullet.
#include "BulletRun.h"
#include "Cp1251.h"
#include "FuzzSupport.h"
#include "LineBreaks.h"
#include "ParagraphGeometry.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "TextFormat.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>
#include <cmath>
#include <cstdint>

namespace {

class Input {
public:
    Input(const uint8_t* data, size_t size) : p_(data), n_(size) {}
    bool atEnd() const { return i_ >= n_; }
    uint8_t byte() { return i_ < n_ ? p_[i_++] : 0; }
    int int16() { return static_cast<int16_t>(byte() | (byte() << 8)); }

private:
    const uint8_t* p_;
    size_t n_;
    size_t i_ = 0;
};

// Pixels per twip at 96 dots per inch, the editor's scale on an ordinary screen.
constexpr qreal kPixelsPerTwip = 96.0 / kTwipsPerInch;

void mergeChar(QTextCursor& c, const QTextCharFormat& format) {
    c.beginEditBlock();
    c.mergeCharFormat(format);
    c.endEditBlock();
}

// Sets a twips indent on every paragraph the selection touches, its margins with it.
void setParaProperty(QTextCursor& c, int property, int twips) {
    QTextDocument& doc = *c.document();
    const QTextBlock last = doc.findBlock(c.selectionEnd());
    c.beginEditBlock();
    for (QTextBlock b = doc.findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
        QTextBlockFormat f = b.blockFormat();
        f.setProperty(property, twips);
        ParagraphGeometry::apply(f, kPixelsPerTwip);
        QTextCursor(b).setBlockFormat(f);
        if (b == last) {
            break;
        }
    }
    c.endEditBlock();
}

void setBullets(QTextCursor& c, bool on) {
    QTextDocument& doc = *c.document();
    const QTextBlock last = doc.findBlock(c.selectionEnd());
    c.beginEditBlock();
    BulletRun bullets;
    for (QTextBlock b = doc.findBlock(c.selectionStart()); b.isValid(); b = b.next()) {
        if (QTextList* old = b.textList()) {
            old->remove(b);
        }
        if (on) {
            bullets.add(b);
        }
        QTextBlockFormat f = b.blockFormat();
        f.setIndent(0);
        ParagraphGeometry::apply(f, kPixelsPerTwip);
        QTextCursor(b).setBlockFormat(f);
        if (b == last) {
            break;
        }
    }
    c.endEditBlock();
}

// A character for a byte: mostly Windows-1251, plus breaks, tabs and characters it cannot store.
QChar charFor(uint8_t b, uint8_t extra) {
    switch (b) {
    case 0x01:
        return QChar::LineSeparator;
    case 0x02:
        return QChar(0x263A);
    case 0x03:
        return QChar(static_cast<char16_t>(0xD800 + extra)); // lone surrogate
    case 0x04:
        return QChar(static_cast<char16_t>(extra << 8 | 0x41));
    default:
        return Cp1251::toUnicode(b);
    }
}

const QString kFaces[] = {
    QStringLiteral("Times New Roman"),
    QStringLiteral("Arial"),
    QStringLiteral("Курьер Новый"),
    QStringLiteral("A{b}\\c"),
    QStringLiteral("An extraordinarily long face name of many words"),
    QString(),
};

void applyOne(QTextCursor& c, Input& in) {
    const int length = c.document()->characterCount() - 1;
    QTextCharFormat f;
    switch (in.byte() % 14) {
    case 0: {
        QString text;
        for (int k = in.byte() % 24; k > 0; --k) {
            const uint8_t b = in.byte();
            text.append(charFor(b, b == 3 || b == 4 ? in.byte() : 0));
        }
        c.beginEditBlock();
        c.insertText(LineBreaks::toEditorText(text));
        c.endEditBlock();
        break;
    }
    case 1: {
        const int start = length > 0 ? in.byte() * (length + 1) / 256 : 0;
        c.setPosition(start);
        c.setPosition(start + in.byte() % (length - start + 1), QTextCursor::KeepAnchor);
        break;
    }
    case 2:
        setStyles(f, FontStyles(in.byte() & 0xF));
        mergeChar(c, f);
        break;
    case 3:
        f.setFontFamilies({kFaces[in.byte() % std::size(kFaces)].left(kMaxFaceName)});
        mergeChar(c, f);
        break;
    case 4:
        f.setFontPointSize(static_cast<qreal>(20 + in.byte() * 7) / kTwipsPerPoint);
        mergeChar(c, f);
        break;
    case 5: {
        const uint8_t r = in.byte();
        f.setForeground(r == 0 ? QBrush() : QBrush(QColor(r, in.byte(), in.byte())));
        mergeChar(c, f);
        break;
    }
    case 6: {
        static const int sets[] = {0, 1, 2, 204, 238, 255};
        f.setProperty(TextProperty::Charset, sets[in.byte() % std::size(sets)]);
        mergeChar(c, f);
        break;
    }
    case 7: {
        QTextBlockFormat pf;
        pf.setAlignment(toQtAlignment(static_cast<ParaAlignment>(in.byte() % 3)));
        c.mergeBlockFormat(pf);
        break;
    }
    case 8:
        setBullets(c, in.byte() % 2 != 0);
        break;
    case 9:
        setParaProperty(c, TextProperty::StartIndent, in.int16());
        break;
    case 10:
        setParaProperty(c, TextProperty::Offset, in.int16());
        break;
    case 11:
        setParaProperty(c, TextProperty::RightIndent, in.int16());
        break;
    case 12:
        c.document()->undo(&c);
        break;
    default:
        c.setPosition(length > 0 ? in.byte() % (length + 1) : 0);
        break;
    }
}

void checkParagraph(const QTextBlock& block, const RtfParagraph& para, const RtfDocument& rtf,
                    int index) {
    // The text as the editor stores it in Windows-1251.
    const QString expected = Cp1251::decode(Cp1251::encode(block.text()));
    FUZZ_CHECK(para.text == expected, "paragraph %d: text differs", index);
    const QTextBlockFormat pf = block.blockFormat();
    const Qt::Alignment a = pf.alignment() & Qt::AlignHorizontal_Mask;
    const char align = (a & Qt::AlignHCenter) ? 'c' : (a & Qt::AlignRight) ? 'r' : 'l';
    FUZZ_CHECK(para.align == align, "paragraph %d: alignment %c, not %c", index, para.align, align);
    FUZZ_CHECK(para.bullet == (block.textList() != nullptr), "paragraph %d: bullet", index);
    const int start = pf.intProperty(TextProperty::StartIndent);
    const int offset = pf.intProperty(TextProperty::Offset);
    FUZZ_CHECK(para.li + para.fi == start, "paragraph %d: first line at %d, not %d", index,
               para.li + para.fi, start);
    FUZZ_CHECK(para.li == start + offset, "paragraph %d: later lines", index);
    FUZZ_CHECK(para.ri == pf.intProperty(TextProperty::RightIndent), "paragraph %d: right", index);

    int i = 0;
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment fragment = it.fragment();
        const QTextCharFormat f = fragment.charFormat();
        for (int k = 0; k < fragment.length(); ++k, ++i) {
            const RtfChar& c = para.chars.at(i);
            FUZZ_CHECK(c.b == (f.fontWeight() > QFont::Normal) && c.i == f.fontItalic() &&
                           c.ul == f.fontUnderline() && c.strike == f.fontStrikeOut(),
                       "paragraph %d, character %d: styles", index, i);
            if (f.hasProperty(QTextFormat::FontPointSize)) {
                FUZZ_CHECK(c.fs == std::lround(f.fontPointSize() * 2),
                           "paragraph %d, character %d: size %d", index, i, c.fs);
            }
            const QString face = f.fontFamilies().toStringList().value(0);
            if (!face.isEmpty()) {
                FUZZ_CHECK(rtf.fonts.value(c.font) == face.trimmed(),
                           "paragraph %d, character %d: face", index, i);
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
    startFuzzApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    QTextDocument doc;
    QTextCursor c(&doc);
    Input in(data, size);
    for (int steps = 0; !in.atEnd() && steps < 64; ++steps) {
        applyOne(c, in);
    }

    const QByteArray out = RtfWriter::toRtf(doc);
    for (const char ch : out) {
        FUZZ_CHECK(static_cast<unsigned char>(ch) < 0x80, "a byte above 127 in the RTF");
    }
    const RtfDocument rtf = RtfReader::read(out);
    FUZZ_CHECK(rtf.ok, "not well formed: %s", qPrintable(rtf.error));
    FUZZ_CHECK(rtf.paragraphs.size() == doc.blockCount(), "%lld paragraphs, the document %d",
               static_cast<long long>(rtf.paragraphs.size()), doc.blockCount());
    int index = 0;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next(), ++index) {
        checkParagraph(block, rtf.paragraphs.at(index), rtf, index);
    }
    return 0;
}
