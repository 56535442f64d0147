#pragma once

#include "Prompts.h"

#include <QString>

// Saves in place that never finished, found at start: Zelto or the machine stopped while a file
// was being written in place, and the file's old contents are in a private copy (PrivateCopy).
class InterruptedSaves {
public:
    // %1: the file's full name, %2: the copy's.
    static const QString kQuestion;

    // Asks about each such save in turn. Yes (the default) writes the copy back over the file, as
    // a save writes; No keeps the file as it is and removes the copy; Cancel keeps both and asks
    // again at the next start. A copy that cannot be written back is kept and the error reported.
    static void offer(Prompts& prompts);
};
