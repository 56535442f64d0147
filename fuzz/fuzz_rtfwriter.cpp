// The RTF writer on random documents built through the editor: random text (any UTF-16, tabs, line
// and paragraph breaks), selections, character attributes, paragraph formats and undo. The output
// must be 7-bit, well formed, and read back as the document's paragraphs with each character's
// styles, size and face and each paragraph's alignment, indents and bullet.
#include "Cp1251.h"
#include "FuzzSupport.h"
#include "RichEdit.h"
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

RichEdit& editor() {
    static RichEdit* edit = [] {
        startFuzzApplication();
        return new RichEdit;
    }();
    return *edit;
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

void applyOne(RichEdit& edit, Input& in) {
    const int length = edit.textLength();
    switch (in.byte() % 14) {
    case 0: {
        QString text;
        for (int k = in.byte() % 24; k > 0; --k) {
            const uint8_t b = in.byte();
            text.append(charFor(b, b == 3 || b == 4 ? in.byte() : 0));
        }
        edit.replaceSelection(text);
        break;
    }
    case 1: {
        const int start = length > 0 ? in.byte() * (length + 1) / 256 : 0;
        edit.select(start, in.byte() % (length - start + 1));
        break;
    }
    case 2:
        edit.setSelStyles(FontStyles(in.byte() & 0xF));
        break;
    case 3:
        edit.setSelFaceName(kFaces[in.byte() % std::size(kFaces)]);
        break;
    case 4:
        edit.setSelSizeTwips(20 + in.byte() * 7);
        break;
    case 5: {
        const uint8_t r = in.byte();
        edit.setSelColor(r == 0 ? QColor() : QColor(r, in.byte(), in.byte()));
        break;
    }
    case 6: {
        static const int sets[] = {0, 1, 2, 204, 238, 255};
        edit.setSelCharset(sets[in.byte() % std::size(sets)]);
        break;
    }
    case 7:
        edit.setParaAlignment(static_cast<ParaAlignment>(in.byte() % 3));
        break;
    case 8:
        edit.setParaNumbering(static_cast<ParaNumbering>(in.byte() % 2));
        break;
    case 9:
        edit.setParaStartIndent(in.int16());
        break;
    case 10:
        edit.setParaOffset(in.int16());
        break;
    case 11:
        edit.setParaRightIndent(in.int16());
        break;
    case 12:
        edit.undo();
        break;
    default:
        edit.setSelStart(length > 0 ? in.byte() % (length + 1) : 0);
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

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    RichEdit& edit = editor();
    edit.loadPlainText(QString());
    Input in(data, size);
    for (int steps = 0; !in.atEnd() && steps < 64; ++steps) {
        applyOne(edit, in);
    }

    const QTextDocument& doc = *edit.document();
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
