#pragma once

#include <QString>

// Faults of the file system, injected under the program's file layer: the test executable defines
// write, fdatasync, linkat and rename itself, so that the calls Qt makes for files inside one
// folder fail as a full or broken disk would make them fail. Calls on any other file go through.
namespace Fault {

enum class Call { Write, Sync, Link, Rename };

// From now on, calls of kind call on files under folder fail with err. A write first lets
// allowBytes bytes through (the last of them as a short write), as a disk filling up does.
void arm(const QString& folder, Call call, int err, long long allowBytes = 0);
void disarm();
// How many calls failed since the fault was armed.
int failures();

} // namespace Fault
