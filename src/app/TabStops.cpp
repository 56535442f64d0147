#include "TabStops.h"

QList<int> tabStopDialogUnits(int baseUnit) {
    QList<int> stops;
    if (baseUnit <= 0) {
        return stops;
    }
    for (int i = 1; i <= 5; ++i) {
        stops.append(80 * i / baseUnit);
    }
    return stops;
}

QList<qreal> tabStopPixels(int baseUnit) {
    QList<qreal> pixels;
    for (const int units : tabStopDialogUnits(baseUnit)) {
        pixels.append(units * baseUnit / 4.0);
    }
    return pixels;
}
