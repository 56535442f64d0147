#include "TForm1.h"
#include "TForm3.h"

void TForm1::N34Click() {
    TForm3::showOnDemand(form3_, this);
}
