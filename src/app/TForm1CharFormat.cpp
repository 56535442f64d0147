#include "TForm1.h"

#include "CharFormatter.h"

void TForm1::initCharFormat() {}
void TForm1::RzToolButton9Click() {}
void TForm1::RzToolButton10Click() {}
void TForm1::RzToolButton11Click() {}
void TForm1::RzFontComboBox1Change() {}
void TForm1::sizeFontChange() {}
void TForm1::RzColorEdit1Change() {}
void TForm1::N16Click() {}
