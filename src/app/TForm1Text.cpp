#include "TForm1.h"
#include "TextCommands.h"

void TForm1::initText() {}
void TForm1::N18Click() {
    textCommands().undo();
}
void TForm1::N21Click() {
    textCommands().cut();
}
void TForm1::N22Click() {
    textCommands().copy();
}
void TForm1::N23Click() {
    textCommands().paste();
}
void TForm1::N24Click() {
    textCommands().selectAll();
}
void TForm1::N27Click() {
    textCommands().clear();
}
void TForm1::N28Click() {
    textCommands().insertStamp();
}
void TForm1::N4Click() {
    textCommands().removeExtraSpaces();
}
