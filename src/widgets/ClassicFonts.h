#pragma once

#include <QFont>

// The fonts the program's forms are drawn in, sized in pixels for a 96-dpi screen. Where a classic
// face is missing, its metric look-alike stands in.
namespace ClassicFonts {

// The classic dialog face at 8 points (11 pixels): windows, dialogs and the toolbar's boxes.
QFont dialog();
// The classic serif face at 12 points (16 pixels): the forms' own labels.
QFont label();

} // namespace ClassicFonts
