#include "RtfText.h"

#include "Cp1251.h"

#include <array>

namespace RtfText {

namespace {

// What each byte of Windows-1251 becomes in RTF text.
const std::array<QByteArray, 256>& byteEscapes() {
    static const std::array<QByteArray, 256> table = [] {
        std::array<QByteArray, 256> t;
        for (int b = 0; b < 256; ++b) {
            if (b == '\\' || b == '{' || b == '}') {
                t[b] = QByteArray(1, '\\') + static_cast<char>(b);
            } else if (b == '\t') {
                t[b] = "\\tab ";
            } else if (b < 0x20) {
                t[b] = QByteArray("\\'") + QByteArray::number(b, 16).rightJustified(2, '0');
            } else if (b < 0x80) {
                t[b] = QByteArray(1, static_cast<char>(b));
            } else {
                // \uN takes a signed 16-bit N; under \uc1 the \'xx after it is the fallback.
                const auto n =
                    static_cast<qint16>(Cp1251::toUnicode(static_cast<uchar>(b)).unicode());
                t[b] = "\\u" + QByteArray::number(n) + "\\'" + QByteArray::number(b, 16);
            }
        }
        return t;
    }();
    return table;
}

} // namespace

void append(QByteArray& out, QStringView text) {
    const auto& escapes = byteEscapes();
    const auto& bytes = Cp1251::encodeTable();
    for (const QChar ch : text) {
        if (ch == QChar::LineSeparator) {
            out.append("\\line ");
            continue;
        }
        const auto b = static_cast<unsigned char>(bytes[ch.unicode()]);
        if (b >= 0x20 && b < 0x80 && b != '\\' && b != '{' && b != '}') {
            out.append(static_cast<char>(b));
        } else {
            out.append(escapes[b]);
        }
    }
}

} // namespace RtfText
