#pragma once

#include <QIcon>

// The application icon, a blue globe in a grey and a green ring, at every size it is drawn in.
QIcon applicationIcon();

// Makes the icon the application's, so that every window and the taskbar button show it, and names
// the desktop entry that the session matches the running program with.
void installApplicationIcon();
