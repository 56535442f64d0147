#pragma once

#include <QStringList>

class Recorder;
class TForm1;

// The last step of start-up: shows the main window maximised; then, once the event loop runs (so
// that any box stands over the new empty document), offers the documents that editors which
// ended abnormally left in recorder's folder, and when none is restored and the command line
// names a file (arguments as QCoreApplication::arguments() gives them: the program first; see
// CommandLine), opens it as Open does.
void showMainWindow(TForm1& form, const QStringList& arguments, Recorder* recorder = nullptr);
