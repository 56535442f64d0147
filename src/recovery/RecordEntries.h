#pragma once

#include "FileStamp.h"
#include "RecordFormat.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>

// How the recorded document began: empty, or as Open builds it from a text file, which then had
// this stamp and gave characters characters (the last paragraph end not counted) in blocks
// blocks. The file's bytes were summed later (a BaseSum entry), when they could be: a file put
// back with the same bytes but another stamp still serves.
struct RecordStart {
    Record::BaseKind base = Record::BaseKind::Empty;
    QString file;
    FileStamp stamp;
    quint32 characters = 0;
    quint32 blocks = 1;
    qint64 createdMs = 0;
    std::optional<std::pair<quint32, qint64>> sum; // CRC-32 and size of the file's bytes

    QByteArray encode() const;
    static RecordStart decode(QByteArrayView payload);
};

// The file the document is bound to (none: an empty name), as the document keeps it: its format
// (0 plain lines, 1 RTF), its stamp when it was last read or written, and the bytes its reading
// left out after a Ctrl-Z.
struct RecordBinding {
    QString fileName;
    quint8 format = 0;
    FileStamp stamp;
    QByteArray unread;

    QByteArray encode() const;
    static RecordBinding decode(QByteArrayView payload);
    friend bool operator==(const RecordBinding&, const RecordBinding&) = default;
};

// The entries before it make a state the document had: at lastChangeMs (milliseconds since the
// epoch), characters long.
struct RecordCommit {
    qint64 lastChangeMs = 0;
    quint32 characters = 0;
    quint64 sequence = 0;

    QByteArray encode() const;
    static RecordCommit decode(QByteArrayView payload);
};

// The CRC-32 and size of the bytes of the file at path, read through. None when it cannot be read
// or when stamp is given and the file is not (or stops being) the one it stamps.
std::optional<std::pair<quint32, qint64>> fileSum(const QString& path,
                                                  const std::optional<FileStamp>& stamp = {});
