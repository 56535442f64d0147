#pragma once

#include "FileStamp.h"
#include "PrivateCopy.h"
#include "Progress.h"

#include <QByteArrayView>
#include <QString>
#include <ctime>
#include <memory>

// Writes an existing file in place, so that it stays the same file: its links, owner and every
// other property remain. The old contents first go whole to a private copy (PrivateCopy), synced
// to the disk. Room for the new contents is then reserved beyond the old length where the file
// system allows, before any old byte is touched; the new bytes overwrite the old ones from the
// start, and the file is cut to the new length last, then synced, and the copy removed. So the
// old bytes always keep their place on the disk: a write that fails anyway (a disk that another
// program keeps full) puts them back from the copy without needing more room. When even that
// fails, or the process dies half-way, the copy stays, and the next start offers it back.
// Every failure throws InOutError with the code of the failing call; when the old contents could
// not be put back, its note says where the copy is.
class InPlaceWriter {
public:
    // Opens fileName for writing and copies its contents aside, reporting the bytes copied to
    // progress, which it begins for them and the units of the write that follows.
    InPlaceWriter(const QString& fileName, Progress& progress, qint64 units);
    // Puts the old contents back unless commit() succeeded.
    ~InPlaceWriter();
    InPlaceWriter(const InPlaceWriter&) = delete;
    InPlaceWriter& operator=(const InPlaceWriter&) = delete;

    // The bytes of the old file, copied aside before the write.
    qint64 copied() const { return oldSize_; }
    // Secures room for bytes in all.
    void reserve(qint64 bytes);
    void write(QByteArrayView bytes);
    // Cuts the file to what was written, syncs it to the disk and removes the copy.
    FileStamp commit();
    // Puts the old contents back; throws when that fails.
    void abandon();

private:
    void writeHeld();
    [[noreturn]] void fail(int err);
    // Writes the copy back over the file; false, with the copy kept, when that fails.
    bool restore() noexcept;
    // Gives back the room reserved past the file's end.
    void release(qint64 end) noexcept;
    QString keptNote() const;
    void close() noexcept;

    QString fileName_;
    int fd_ = -1;
    std::unique_ptr<PrivateCopy> copy_;
    qint64 oldSize_ = 0;
    std::timespec oldTimes_[2] = {}; // last access and modification
    qint64 written_ = 0;
    qint64 reserved_ = 0;
    bool canReserve_ = true;
    QByteArray held_;        // the last piece given, not yet written
    quint32 writtenCrc_ = 0; // CRC-32 of every piece given
    bool touched_ = false;   // an old byte was overwritten
    bool done_ = false;      // committed or restored
    int restoreError_ = 0;
};
