#include "TForm1.h"

#include "Document.h"

void TForm1::initDocument() {}
void TForm1::FormShow() { document().formShow(); }
bool TForm1::FormClose() { return document().queryClose(); }
void TForm1::N5Click() { document().newFile(); }
void TForm1::N6Click() { document().open(); }
void TForm1::N7Click() { document().saveAs(); }
void TForm1::N10Click() { close(); }
