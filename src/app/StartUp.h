#pragma once

#include <QStringList>

class TForm1;

// The last step of start-up: shows the main window maximised and, when the command line names a
// file (arguments as QCoreApplication::arguments() gives them: the program first; see
// CommandLine), opens it as Open does once the event loop runs, so that an error box stands over
// the new empty document.
void showMainWindow(TForm1& form, const QStringList& arguments);
