#include "ParaFormatter.h"
#include "TForm1.h"
#include "Tabzac.h"

// The paragraph dialog is created hidden at start-up (main) and reached through N17Click; the
// tool buttons are bound with the rest of the command table.
void TForm1::initParaFormat() {}
void TForm1::RzToolButton6Click() {
    paraFormatter().setAlignment(ParaAlignment::Left);
}
void TForm1::RzToolButton7Click() {
    paraFormatter().setAlignment(ParaAlignment::Center);
}
void TForm1::RzToolButton8Click() {
    paraFormatter().setAlignment(ParaAlignment::Right);
}
void TForm1::RzToolButton12Click() {
    paraFormatter().toggleBullet();
}
void TForm1::N17Click() {
    Tabzac::execute(this, paraFormatter());
}
