#pragma once

#include <QString>

// Faults of the file system, injected under the program's file layer: the test executable defines
// open, write, fdatasync, fsync, fallocate, linkat and rename itself, so that the calls Qt makes
// for files inside one folder fail as a full or broken disk would make them fail. Calls on any
// other file go through.
namespace Fault {

enum class Call {
    Write,
    Sync,
    Link,
    Rename,
    Create,       // an open that may create a file (O_CREAT or O_TMPFILE)
    OpenForWrite, // any open for writing, as on a read-only file system
    Allocate      // reserving room for a file
};

// From now on, calls of kind call on files under folder fail with err. A write first lets
// allowBytes bytes through (the last of them as a short write), as a disk filling up does; with
// err 0 it then writes nothing and returns 0. With once, only the first such call fails, as when an
// emptied file gives the space back.
void arm(const QString& folder, Call call, int err, long long allowBytes = 0, bool once = false);
void disarm();
// How many calls failed since the fault was armed.
int failures();

} // namespace Fault
