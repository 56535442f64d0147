#include "Document.h"
#include "TForm1.h"

void TForm1::initDocument() {
    connect(document_.get(), &Document::titleChanged, this, &QWidget::setWindowTitle);
}

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
