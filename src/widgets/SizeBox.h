#pragma once

#include <QStringList>

class QComboBox;

// The toolbar's size box: an editable list of point sizes where at most three characters can be
// typed. A size shown by the program may be longer (up to four digits); it is shown whole, and
// typing can then only shorten it until it fits the limit again. Whatever the box shows, typed or
// shown, its current entry is the one equal to that text, or none.
namespace SizeBox {

constexpr int kMaxTyped = 3;

// "8" .. "72", the sixteen entries.
const QStringList& entries();

// Fills box with the entries, selects "8", limits typing, and turns off completion and insertion
// so that the text in the box is exactly what was typed.
void setup(QComboBox* box);

// Shows text in the box without reporting a change.
void showText(QComboBox* box, const QString& text);

} // namespace SizeBox
