#pragma once

#include <QByteArray>
#include <QStringView>

// Text as an RTF file holds it: Windows-1251 bytes, with RTF's special characters, control
// characters and tabs escaped, every byte above ASCII also written as its Unicode character
// (\uN, the byte after it the fallback for readers without Unicode) and a line separator as
// \line. A character outside the code page becomes Cp1251's replacement.
namespace RtfText {

void append(QByteArray& out, QStringView text);

} // namespace RtfText
