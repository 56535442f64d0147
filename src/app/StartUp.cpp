#include "StartUp.h"

#include "Document.h"
#include "Errors.h"
#include "TForm1.h"

#include <QFileInfo>
#include <QTimer>

void showMainWindow(TForm1& form, const QStringList& arguments) {
    form.showMaximized();
    if (arguments.size() < 2) {
        return;
    }
    // Bound by its full name, as a file picked in the open dialog is.
    QString fileName = arguments.at(1);
    if (!fileName.isEmpty()) {
        fileName = QFileInfo(fileName).absoluteFilePath();
    }
    QTimer::singleShot(0, &form, [&form, fileName] {
        runGuarded([&form, &fileName] { form.document().openFile(fileName); });
    });
}
