#pragma once

#include "Progress.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// A hash of bytes given a piece at a time, cut anywhere: a file's contents as it was written.
class ContentHash {
public:
    void add(QByteArrayView bytes);
    quint64 value() const;

private:
    quint64 hash_ = 0x9E3779B97F4A7C15ULL;
    quint64 pending_ = 0; // bytes of an unfinished eight, low first
    int pendingCount_ = 0;
};

// The private copy of a file about to be written in place, in folder(), with a record beside it
// (the copy's name plus ".origin") that names the file, then says when the copy is whole and
// synced (before the file is touched), then what the file holds when its write is done. The copy
// is locked for as long as the save runs, and the record goes before the copy when it is done.
// So a record with its copy, unlocked, whose file holds neither the old bytes nor the new ones,
// is a save that never finished: leftBehind() finds them, for the next start to offer the old
// contents back.
class PrivateCopy {
public:
    // Copies the whole file open as from, whose name is target, to a new private copy, reporting
    // the bytes copied to progress (begun by the caller), and records target beside it. Throws
    // InOutError, or SilentAbort when progress is cancelled; nothing is left behind then.
    PrivateCopy(const QByteArray& target, int from, Progress& progress);
    // Closes the copy, which releases the lock; the copy and its record stay unless removed.
    ~PrivateCopy();
    PrivateCopy(const PrivateCopy&) = delete;
    PrivateCopy& operator=(const PrivateCopy&) = delete;

    // $XDG_CACHE_HOME/zelto, or ~/.cache/zelto when that is not set.
    static QString folder();
    // The copies of saves that never finished and whose file now differs from its copy, each
    // locked while it is held. The records of finished saves, and copies equal to their file, are
    // removed on the way.
    static std::vector<std::unique_ptr<PrivateCopy>> leftBehind();

    const QByteArray& target() const { return target_; }
    const QByteArray& path() const { return path_; }
    int handle() const { return fd_; }
    qint64 size() const;
    // Hands sink the copy's bytes from the start, a chunk at a time. Throws InOutError.
    using Sink = std::function<void(QByteArrayView)>;
    void read(const Sink& sink) const;
    // Notes in the record that the file now holds size bytes of the given hash (ContentHash):
    // should the process stop before the copy is removed, a file found so is whole, and the copy
    // is not offered back.
    void markFinished(qint64 size, quint64 hash) const noexcept;
    // Removes the record, then the copy, and syncs their folder.
    void remove();

private:
    PrivateCopy() = default;
    // Appends text to the record, made if need be, synced to the disk when sync. Throws
    // InOutError.
    void appendRecord(const QByteArray& text, bool sync) const;
    QByteArray recordPath() const { return path_ + ".origin"; }

    QByteArray target_;
    QByteArray path_;
    int fd_ = -1;
};
