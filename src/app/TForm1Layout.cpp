#include "TForm1.h"

#include "RichEdit.h"

#include <QTextEdit>

void TForm1::buildLayout() { setCentralWidget(RichEdit1->widget()); }
