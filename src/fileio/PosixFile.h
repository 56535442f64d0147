#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <functional>

#ifdef Q_OS_UNIX
#include <sys/types.h>

// The system's file calls as the writers use them: each failure leaves errno for the caller to
// report.
namespace PosixFile {

// open(2), the descriptor closed on exec.
int open(const QByteArray& path, int flags, mode_t mode = 0);
// Writes all of data; false when a write fails (errno set) or makes no progress (errno 0, which
// the caller reports as a full disk).
bool writeAll(int fd, const char* data, qsizetype size);
// Reads up to size bytes, fewer only at the end of the file; -1 on failure.
qsizetype readSome(int fd, char* data, qsizetype size);
// Copies from from's position to its end to to's position, calling copied with the bytes copied
// so far after each block; false when a call fails (errno as writeAll leaves it).
bool copy(int from, int to, const std::function<void(qint64 copied)>& copied = {});
// Flushes fd to the disk; a file that cannot be flushed (EINVAL) has nothing to wait for.
bool sync(int fd);
// Flushes a folder's entries to the disk, where that can be done; a failure changes nothing.
void syncFolder(const QByteArray& folder);
// Makes the folder path (its parent must exist) unless it exists, and syncs the parent after
// making it: what is later put in the folder and synced survives a power cut only if the folder
// does. False with errno set when it cannot be made.
bool makeFolder(const QByteArray& path, mode_t mode);
// Makes path and each missing folder above it, as makeFolder does.
bool makePath(const QByteArray& path, mode_t mode);
// The folder part of path: "." for a bare name, "/" at the root.
QByteArray folderOf(const QByteArray& path);

} // namespace PosixFile

#endif
