#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

// Windows-1251, byte for byte. 0x98, which the code page leaves undefined, maps to U+0098 and back,
// so every byte value survives a round trip.
namespace Cp1251 {

QChar toUnicode(unsigned char byte);
QString decode(const char* data, qsizetype size);
inline QString decode(const QByteArray& bytes) { return decode(bytes.constData(), bytes.size()); }

// The byte for c, or -1 when Windows-1251 cannot store it.
int fromUnicode(QChar c);
inline bool canEncode(QChar c) { return fromUnicode(c) >= 0; }
// Encodes text; a character outside the code page becomes '?'.
QByteArray encode(QStringView text);
// Replaces every character outside the code page by '?'. Returns the number replaced.
qsizetype sanitize(QString& text);

} // namespace Cp1251
