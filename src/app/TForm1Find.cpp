#include "FindDialog.h"
#include "Finder.h"
#include "TForm1.h"

void TForm1::initFind() {
    FindDialog1 = new FindDialog(this);
    // Each find-next request runs its handler like a command: through the dispatch wrapper.
    connect(FindDialog1, &FindDialog::find, this,
            [this] { dispatch("FindDialog1Find", &TForm1::FindDialog1Find); });
}

void TForm1::N26Click() {
    FindDialog1->execute(finder().beginFind());
}

void TForm1::FindDialog1Find() {
    finder().findNext(FindDialog1->findText(), FindDialog1->matchCase());
}
