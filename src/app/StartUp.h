#pragma once

#include <QStringList>

class Prompts;
class Recorder;
class TForm1;

// The last step of start-up: shows the main window maximised and, once the event loop runs, offers
// back the old contents of files whose save in place never finished (InterruptedSaves), then the
// documents that editors which ended abnormally left in recorder's folder (RecoveryOffer), and
// when none is restored opens the file the command line names, if any (arguments as
// CommandLine::arguments gives them: the program first), as Open does, so that a box stands over
// the new empty document.
void showMainWindow(TForm1& form, Prompts& prompts, const QStringList& arguments,
                    Recorder* recorder = nullptr);
