#pragma once

#include "Descriptor.h"
#include "FileStamp.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>

// Reads a file through a chunk at a time, so that the record's thread can do it between its other
// work: sums the bytes and, when it copies, gives each chunk as a BaseBytes entry, then a FileSum
// entry once the whole file was read and it still has the stamp it was expected to have. A file
// that cannot be opened or read, that is not regular, or whose stamp is not (or stops being) the
// one expected gives nothing more: a record never holds a copy of anything but that file.
class FileSnapshot {
public:
    // stamp: the file expected (none: whatever file path names, and no FileSum entry).
    FileSnapshot(QString path, std::optional<FileStamp> stamp, bool copy,
                 qsizetype chunk = 1 << 20);
    FileSnapshot(const FileSnapshot&) = delete;
    FileSnapshot& operator=(const FileSnapshot&) = delete;

    // Reads the next chunk and appends its entries to out; false once nothing is left to do.
    bool step(QByteArray& out);
    // Once step() returned false: the CRC-32 and size of the file's bytes, or none when they could
    // not be taken.
    std::optional<std::pair<quint32, qint64>> sum() const { return sum_; }

private:
    bool open();
    void finish(QByteArray& out);
    void stop();

    QString path_;
    std::optional<FileStamp> stamp_;
    bool copy_;
    qsizetype chunk_;
    Descriptor fd_;
    bool opened_ = false;
    bool done_ = false;
    quint32 crc_ = 0;
    qint64 size_ = 0;
    std::optional<std::pair<quint32, qint64>> sum_;
};
