#include "TForm1.h"

#include "TextCommands.h"

void TForm1::initText() {}
void TForm1::N18Click() {}
void TForm1::N21Click() {}
void TForm1::N22Click() {}
void TForm1::N23Click() {}
void TForm1::N24Click() {}
void TForm1::N27Click() {}
void TForm1::N28Click() {}
void TForm1::N4Click() {}
