#include "StartUp.h"

#include "CommandLine.h"
#include "Document.h"
#include "Errors.h"
#include "RecoveryOffer.h"
#include "TForm1.h"

#include <QFileInfo>
#include <QTimer>

void showMainWindow(TForm1& form, const QStringList& arguments, Recorder* recorder) {
    form.showMaximized();
    QString fileName = CommandLine::parse(arguments).file;
    // Bound by its full name, as a file picked in the open dialog is.
    if (!fileName.isEmpty()) {
        fileName = QFileInfo(fileName).absoluteFilePath();
    }
    QTimer::singleShot(0, &form, [&form, fileName, recorder] {
        bool restored = false;
        if (recorder != nullptr) {
            runGuarded(
                [&] { restored = offerRecovery(*recorder, form.document(), *form.RichEdit1); });
        }
        if (!restored && !fileName.isEmpty()) {
            runGuarded([&form, &fileName] { form.document().openFile(fileName); });
        }
    });
}
