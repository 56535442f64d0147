#include "FindDialog.h"

FindDialog::FindDialog(QWidget* parent) : QDialog(parent) {}
