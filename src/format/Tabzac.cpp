#include "Tabzac.h"

Tabzac* abzac = nullptr;

Tabzac::Tabzac(QWidget* parent) : QDialog(parent) {}
