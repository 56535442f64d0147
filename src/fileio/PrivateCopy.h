#pragma once

#include "Progress.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <vector>

class OpenFolder;

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

    // $XDG_CACHE_HOME/zelto, or ~/.cache/zelto when that is not set: a PrivateFolder.
    static QString folder();
    // The copies of saves that never finished and whose file now differs from its copy, each
    // locked while it is held, and marked as offered. The records of finished saves, copies equal
    // to their file, and copies offered longer ago than they are kept are removed on the way;
    // files that are not the user's own are left alone.
    static std::vector<std::unique_ptr<PrivateCopy>> leftBehind();

    const QByteArray& target() const { return target_; }
    const QByteArray& path() const { return path_; }
    int handle() const { return fd_; }
    qint64 size() const;
    // Hands sink the copy's bytes from the start, a chunk at a time. Throws InOutError.
    using Sink = std::function<void(QByteArrayView)>;
    void read(const Sink& sink) const;
    // Notes in the record that the file now holds size bytes of the given CRC-32:
    // should the process stop before the copy is removed, a file found so is whole, and the copy
    // is not offered back.
    void markFinished(qint64 size, quint32 crc) const noexcept;
    // Removes the record, then the copy, and syncs their folder.
    void remove();

private:
    PrivateCopy() = default;
    // Appends text to the record, made first when first, synced to the disk when sync. Throws
    // InOutError.
    void appendRecord(const QByteArray& text, bool sync, bool first = false) const;
    // Whether a copy left behind, whose record holds record, is to be offered back: false when it
    // is to be removed.
    bool offered(const QByteArray& record);
    QByteArray recordName() const { return name_ + ".origin"; }

    std::shared_ptr<const OpenFolder> folder_;
    QByteArray name_;
    QByteArray target_;
    QByteArray path_;
    int fd_ = -1;
};
