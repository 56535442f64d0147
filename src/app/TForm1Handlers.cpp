// The handlers of the main window, each one line that calls the class of its subsystem.
#include "CharFormatter.h"
#include "ColorEdit.h"
#include "Document.h"
#include "FindDialog.h"
#include "Finder.h"
#include "FontComboBox.h"
#include "ParaFormatter.h"
#include "TForm1.h"
#include "TForm3.h"
#include "Tabzac.h"
#include "TextCommands.h"

#include <QComboBox>

// --- document ------------------------------------------------------------------------------

void TForm1::FormShow() {
    document().formShow();
}

bool TForm1::FormClose() {
    return document().queryClose();
}

void TForm1::N5Click() {
    document().newFile();
}

void TForm1::N6Click() {
    document().open();
}

void TForm1::N7Click() {
    document().saveAs();
}

void TForm1::N10Click() {
    close();
}

// --- text commands -------------------------------------------------------------------------

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

// --- find ----------------------------------------------------------------------------------

void TForm1::N26Click() {
    FindDialog1->execute(finder().beginFind());
}

void TForm1::FindDialog1Find() {
    finder().findNext(FindDialog1->findText(), FindDialog1->matchCase());
}

// --- character format ----------------------------------------------------------------------

void TForm1::RzToolButton9Click() {
    charFormatter().toggleStyle(fsBold);
}

void TForm1::RzToolButton10Click() {
    charFormatter().toggleStyle(fsItalic);
}

void TForm1::RzToolButton11Click() {
    charFormatter().toggleStyle(fsUnderline);
}

void TForm1::RzFontComboBox1Change() {
    charFormatter().applyFaceName(RzFontComboBox1->fontName());
}

void TForm1::sizeFontChange() {
    charFormatter().applySizeText(sizeFont->currentText());
}

void TForm1::RzColorEdit1Change() {
    charFormatter().applyColor(RzColorEdit1->selectedColor());
}

void TForm1::N16Click() {
    charFormatter().runFontDialog();
}

// --- paragraph format ----------------------------------------------------------------------

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

// --- help ----------------------------------------------------------------------------------

void TForm1::N34Click() {
    TForm3::showOnDemand(form3_, this);
}
