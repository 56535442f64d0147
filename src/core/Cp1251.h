#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>

// Windows-1251, byte for byte. 0x98, which the code page leaves undefined, maps to U+0098 and back,
// so every byte value survives a round trip.
namespace Cp1251 {

// The character of each byte, and the byte of each UTF-16 code unit ('?' where the code page has
// none): one lookup per character for the hot loops of the file layer and the RTF writer.
const std::array<char16_t, 256>& decodeTable();
const std::array<char, 65536>& encodeTable();

QChar toUnicode(unsigned char byte);
QString decode(const char* data, qsizetype size);
inline QString decode(const QByteArray& bytes) {
    return decode(bytes.constData(), bytes.size());
}

// The byte for c, or -1 when Windows-1251 cannot store it.
int fromUnicode(QChar c);
inline bool canEncode(QChar c) {
    return fromUnicode(c) >= 0;
}
// Encodes text; a character outside the code page becomes '?'.
QByteArray encode(QStringView text);
// Replaces every character outside the code page by '?'. Returns the number replaced.
qsizetype sanitize(QString& text);

} // namespace Cp1251
