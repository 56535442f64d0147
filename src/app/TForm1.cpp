#include "TForm1.h"

#include "CharFormatter.h"
#include "Document.h"
#include "Errors.h"
#include "Finder.h"
#include "ParaFormatter.h"
#include "RichEdit.h"
#include "TextCommands.h"

#include <QCloseEvent>
#include <QShowEvent>

TForm1* Form1 = nullptr;

TForm1::TForm1(Prompts& prompts, QWidget* parent) : QMainWindow(parent), prompts_(prompts) {
    setObjectName(QStringLiteral("Form1"));
    RichEdit1 = new RichEdit(this);
    document_ = std::make_unique<Document>(*RichEdit1, prompts_);
    finder_ = std::make_unique<Finder>(*RichEdit1, prompts_);
    textCommands_ = std::make_unique<TextCommands>(*RichEdit1, prompts_);
    charFormatter_ = std::make_unique<CharFormatter>(*RichEdit1, prompts_);
    paraFormatter_ = std::make_unique<ParaFormatter>(*RichEdit1, prompts_);

    buildLayout();
    bindCommands();
    initDocument();
    initFind();
    initText();
    initCharFormat();
    initParaFormat();
    runGuarded([this] { FormCreate(); });
}

TForm1::~TForm1() = default;

void TForm1::bindCommands() {}

void TForm1::FormCreate() {}

void TForm1::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        runGuarded([this] { FormShow(); });
    }
    QMainWindow::showEvent(event);
}

void TForm1::closeEvent(QCloseEvent* event) {
    bool close = true;
    runGuarded([&] { close = FormClose(); });
    event->setAccepted(close);
}
