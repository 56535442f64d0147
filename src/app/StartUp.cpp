#include "StartUp.h"

#include "CommandLine.h"
#include "Document.h"
#include "Errors.h"
#include "FileName.h"
#include "InterruptedSaves.h"
#include "TForm1.h"

#include <QTimer>

void showMainWindow(TForm1& form, Prompts& prompts, const QStringList& arguments) {
    form.showMaximized();
    QString fileName = CommandLine::parse(arguments).file;
    if (!fileName.isEmpty()) {
        // Bound by its full name, as a file picked in the open dialog is.
        fileName = FileName::absolute(fileName);
    }
    QTimer::singleShot(0, &form, [&form, &prompts, fileName] {
        // First the saves that never finished: the file named may be one of them.
        InterruptedSaves::offer(prompts);
        if (!fileName.isEmpty()) {
            runGuarded([&form, &fileName] { form.document().openFile(fileName); });
        }
    });
}
