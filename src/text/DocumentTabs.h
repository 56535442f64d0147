#pragma once

#include <QList>

class QTextDocument;

// Tab stops as a document carries them. The editor's set stops stand in the document's default
// text option, in pixels from the start of each line; past the last of them a default stop comes
// every half inch (720 twips), the option's stop distance. That distance so also tells how many
// pixels a twip was when the stops were set.
namespace DocumentTabs {

constexpr int kDefaultStopTwips = 720;

// Gives document the set stops (pixels from a line's start) and a default stop every half inch.
void set(QTextDocument& document, const QList<qreal>& pixels, qreal pixelsPerTwip);
// The set stops of document in twips, each rounded to the nearest.
QList<int> setStopsTwips(const QTextDocument& document);

// The stops, in twips from the left margin, that a reader counting from the margin needs to put a
// paragraph's tabs where the editor puts them: each set stop from lineStart (where the first
// line's text starts; the editor counts from there); hangingStop when above 0 (where a first line
// that starts left of the later ones has a stop at the later ones' start); and, when lineStart
// is off the half-inch grid that readers keep past the last stop, the editor's own default stops
// past the set ones, below rightEdge. Ascending, without repeats.
QList<int> paragraphStops(const QList<int>& setStops, int lineStart, int hangingStop,
                          int rightEdge);

} // namespace DocumentTabs
