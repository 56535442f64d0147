#include "AppIcon.h"
#include "AppPrompts.h"
#include "Application.h"
#include "StartUp.h"
#include "TForm1.h"
#include "Tabzac.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    Application app(argc, argv);
    installApplicationIcon();
    AppPrompts prompts;
    TForm1 form(prompts);
    Form1 = &form;
    Tabzac paragraphDialog(&form);
    abzac = &paragraphDialog;
    showMainWindow(form, QCoreApplication::arguments());
    QApplication::exec();
    return 0;
}
