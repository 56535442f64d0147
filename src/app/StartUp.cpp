#include "StartUp.h"

#include "CommandLine.h"
#include "Document.h"
#include "Errors.h"
#include "TForm1.h"

#include <QFileInfo>
#include <QTimer>

void showMainWindow(TForm1& form, const QStringList& arguments) {
    form.showMaximized();
    QString fileName = CommandLine::parse(arguments).file;
    if (fileName.isEmpty()) {
        return;
    }
    // Bound by its full name, as a file picked in the open dialog is.
    fileName = QFileInfo(fileName).absoluteFilePath();
    QTimer::singleShot(0, &form, [&form, fileName] {
        runGuarded([&form, &fileName] { form.document().openFile(fileName); });
    });
}
