#include "Document.h"

#include "RichEdit.h"

Document::Document(RichEdit& editor, Prompts& prompts, QObject* parent)
    : QObject(parent), editor_(editor), prompts_(prompts) {}

void Document::formShow() {}
void Document::newFile() {}
void Document::open() {}
void Document::saveAs() {}
bool Document::queryClose() { return true; }
