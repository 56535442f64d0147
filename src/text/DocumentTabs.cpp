#include "DocumentTabs.h"

#include <QTextDocument>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace DocumentTabs {

void set(QTextDocument& document, const QList<qreal>& pixels, qreal pixelsPerTwip) {
    QTextOption option = document.defaultTextOption();
    QList<QTextOption::Tab> tabs;
    tabs.reserve(pixels.size());
    for (const qreal x : pixels) {
        tabs.append(QTextOption::Tab(x, QTextOption::LeftTab));
    }
    option.setTabs(tabs);
    option.setTabStopDistance(kDefaultStopTwips * pixelsPerTwip);
    document.setDefaultTextOption(option);
}

QList<int> setStopsTwips(const QTextDocument& document) {
    const QTextOption option = document.defaultTextOption();
    const qreal distance = option.tabStopDistance();
    QList<int> twips;
    if (distance <= 0) {
        return twips; // no scale to read the stops in
    }
    const qreal twipsPerPixel = kDefaultStopTwips / distance;
    for (const QTextOption::Tab& tab : option.tabs()) {
        twips.append(static_cast<int>(std::lround(tab.position * twipsPerPixel)));
    }
    return twips;
}

QList<int> paragraphStops(const QList<int>& setStops, int lineStart, int hangingStop,
                          int rightEdge) {
    QList<int> stops;
    for (const int stop : setStops) {
        stops.append(lineStart + stop);
    }
    if (hangingStop > 0) {
        stops.append(hangingStop);
    }
    std::sort(stops.begin(), stops.end());
    stops.erase(std::unique(stops.begin(), stops.end()), stops.end());
    if (lineStart % kDefaultStopTwips != 0) {
        // Past its last stop the editor's grid counts from the line's start, a reader's from the
        // margin: the editor's grid is written out.
        const int last = stops.isEmpty() ? lineStart : stops.back();
        for (int at = lineStart + ((last - lineStart) / kDefaultStopTwips + 1) * kDefaultStopTwips;
             at < rightEdge; at += kDefaultStopTwips) {
            stops.append(at);
        }
    }
    return stops;
}

} // namespace DocumentTabs
