#include "TForm1.h"

#include "ParaFormatter.h"

void TForm1::initParaFormat() {}
void TForm1::RzToolButton6Click() {}
void TForm1::RzToolButton7Click() {}
void TForm1::RzToolButton8Click() {}
void TForm1::RzToolButton12Click() {}
void TForm1::N17Click() {}
