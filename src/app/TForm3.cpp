#include "TForm3.h"

TForm3::TForm3(QWidget* parent) : QDialog(parent) {}
