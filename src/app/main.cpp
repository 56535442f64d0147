#include "AppIcon.h"
#include "AppPrompts.h"
#include "Application.h"
#include "CommandLine.h"
#include "EditorRecorder.h"
#include "StartUp.h"
#include "TForm1.h"
#include "Tabzac.h"

#include <QApplication>
#include <cstdio>

namespace {

// Prints text to stream in the terminal's encoding.
void print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

int main(int argc, char* argv[]) {
    // Help and version need no window: answered before the application connects to the display.
    const CommandLine early = CommandLine::parse(CommandLine::arguments(argc, argv));
    if (early.action == CommandLine::Action::Help) {
        print(stdout, CommandLine::helpText());
        return 0;
    }
    if (early.action == CommandLine::Action::Version) {
        print(stdout, CommandLine::versionText());
        return 0;
    }

    Application app(argc, argv);
    // Qt's own options (-platform, -style, ...) are gone from argv now.
    const QStringList arguments = CommandLine::arguments(argc, argv);
    const CommandLine line = CommandLine::parse(arguments);
    if (line.action == CommandLine::Action::Error) {
        print(stderr, line.message);
        return 2;
    }
    installApplicationIcon();
    AppPrompts prompts;
    TForm1 form(prompts);
    Form1 = &form;
    Tabzac paragraphDialog(&form);
    abzac = &paragraphDialog;
    // Keeps a recovery record of unsaved changes; gone before the window at a normal end, which
    // takes the record with it.
    EditorRecorder recorder(*form.RichEdit1, form.document(), prompts);
    showMainWindow(form, prompts, arguments, &recorder);
    QApplication::exec();
    return 0;
}
