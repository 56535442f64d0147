#include "TForm1.h"

#include "TForm3.h"

void TForm1::N34Click() {}
