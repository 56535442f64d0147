#include "StartUp.h"

#include "CommandLine.h"
#include "Document.h"
#include "Errors.h"
#include "FileName.h"
#include "InterruptedSaves.h"
#include "RecoveryOffer.h"
#include "TForm1.h"

#include <QTimer>

void showMainWindow(TForm1& form, Prompts& prompts, const QStringList& arguments,
                    Recorder* recorder) {
    form.showMaximized();
    QString fileName = CommandLine::parse(arguments).file;
    if (!fileName.isEmpty()) {
        // Bound by its full name, as a file picked in the open dialog is.
        fileName = FileName::absolute(fileName);
    }
    QTimer::singleShot(0, &form, [&form, &prompts, fileName, recorder] {
        // First the saves that never finished: the file named, or the one a record names, may be
        // one of them. Then the documents that editors which ended abnormally left; when one is
        // restored, the file named is not opened.
        InterruptedSaves::offer(prompts);
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
