#include "TForm1.h"

#include "Finder.h"

void TForm1::initFind() {}
void TForm1::N26Click() {}
void TForm1::FindDialog1Find() {}
