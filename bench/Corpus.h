#pragma once

#include <QByteArray>

// Generated test documents: Windows-1251 text of mixed Cyrillic and Latin words, lines of 40 to
// 200 characters ending in CR LF, with runs of spaces and tabs. The same size and seed always give
// the same bytes.
namespace Corpus {

// A word that occurs once, in a line near the end of every document, so that a search for it
// walks the whole text. Written with this case; searches use other cases too.
inline constexpr char16_t kMarker[] = u"ЗелтоFindMe";

QByteArray generate(qsizetype bytes, quint32 seed = 1);

} // namespace Corpus
