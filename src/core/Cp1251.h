#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <array>

// Windows-1251, byte for byte. 0x98, which the code page leaves undefined, maps to U+0098 and back,
// so every byte value survives a round trip.
namespace Cp1251 {

// What stands for a character the code page cannot store, in the text and in its bytes.
inline constexpr char kReplacement = '?';

// The character of each byte, and the byte of each UTF-16 code unit (kReplacement where the code
// page has none): one lookup per character for the hot loops of the file layer and the RTF writer.
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
// c as Windows-1251 stores it: c itself, or kReplacement when the code page has no byte for it.
inline QChar storable(QChar c) {
    return canEncode(c) ? c : QLatin1Char(kReplacement);
}
// Encodes text; a character outside the code page becomes kReplacement.
QByteArray encode(QStringView text);
// Replaces every character outside the code page by kReplacement. Returns the number replaced.
qsizetype sanitize(QString& text);

} // namespace Cp1251
