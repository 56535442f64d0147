#pragma once

#include "DocBinding.h"
#include "FileStamp.h"
#include "RecordFormat.h"

#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>

// How the recorded document began: empty, or as Open builds it from a text file, which then had
// this stamp and gave characters characters (the last paragraph end not counted) in blocks
// blocks. The file's bytes are copied into the record later (BaseBytes entries, then a FileSum
// of that stamp once the copy is whole), so that the record no longer needs the file; sum is
// that of the file's bytes, when the record holds it.
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

// The file the document is bound to, as the document keeps it (DocBinding), in a Binding entry.
namespace BindingEntry {
QByteArray encode(const DocBinding& binding);
DocBinding decode(QByteArrayView payload);
} // namespace BindingEntry

// A FileSum entry: the file with this stamp held size bytes whose CRC-32 is crc.
struct RecordFileSum {
    FileStamp stamp;
    quint32 crc = 0;
    qint64 size = 0;

    QByteArray encode() const;
    static RecordFileSum decode(QByteArrayView payload);
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
// or is not a regular file, or when stamp is given and the file is not (or stops being) the one
// it stamps.
std::optional<std::pair<quint32, qint64>> fileSum(const QString& path,
                                                  const std::optional<FileStamp>& stamp = {});
