#pragma once

#include <QList>

// The editor's five tab stops for a horizontal dialog base unit of b pixels: stop i lies at
// (80 x i) div b dialog units, and a dialog unit is b / 4 pixels.
QList<int> tabStopDialogUnits(int baseUnit);
QList<qreal> tabStopPixels(int baseUnit);
