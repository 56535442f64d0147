#pragma once

#include "RecordFormat.h"

#include <QByteArray>
#include <QString>

// What makes a file the one it was: its device, inode, size and modification time.
struct FileStamp {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = -1; // -1: no such file
    qint64 modifiedNs = 0;

    // The stamp of the file at path, symbolic links followed.
    static FileStamp of(const QString& path);
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// How the recorded document began: empty, or as Open builds it from a text file, which then had
// this stamp and gave characters characters (the last paragraph end not counted) in blocks
// blocks.
struct RecordStart {
    Record::BaseKind base = Record::BaseKind::Empty;
    QString file;
    FileStamp stamp;
    quint32 characters = 0;
    quint32 blocks = 1;
    qint64 createdMs = 0;

    QByteArray encode() const;
    static RecordStart decode(QByteArrayView payload);
};

// The file the document is bound to: its name, whether the save after the question writes to it
// without asking, and its format (0 plain lines, 1 RTF).
struct RecordBinding {
    QString fileName;
    bool hasFileName = false;
    quint8 format = 0;

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
