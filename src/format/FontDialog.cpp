#include "FontDialog.h"

FontDialog::FontDialog(QWidget* parent) : QDialog(parent) {}

bool FontDialog::execute(QWidget* /*parent*/, TextFont& /*font*/) { return false; }
