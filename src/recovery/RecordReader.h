#pragma once

#include "RecordEntries.h"

#include <QByteArray>
#include <functional>
#include <memory>

class QIODevice;
class QTextDocument;

// Reads a recovery record. The constructor checks every entry from the start and keeps what the
// record holds up to its last whole commit: a torn or damaged entry ends the record there, so the
// document it gives is always one the editor really showed.
class RecordReader {
public:
    // Reads device (open for reading, seekable) through. Throws RecordError when it is not a
    // record (it does not start with the magic line, or its first entry is not the start) or an
    // entry cannot be read; a record cut short before its first commit is empty.
    explicit RecordReader(QIODevice& device);

    // Nothing became durable: the record holds no commit.
    bool empty() const { return commitEnd_ < 0; }
    const RecordStart& start() const { return start_; }
    // As of the last commit.
    const RecordBinding& binding() const { return binding_; }
    const RecordCommit& commit() const { return commit_; }

    // Makes the document the record begins with: an empty one, or the text file of start() read
    // as Open reads it.
    using MakeBase = std::function<std::unique_ptr<QTextDocument>(const RecordStart& start)>;
    // The document as of the last commit, built on the base. Throws RecordError when an entry
    // does not fit the document (or the base is not the one recorded).
    std::unique_ptr<QTextDocument> replay(const MakeBase& makeBase);

private:
    struct Entry {
        Record::EntryType type;
        QByteArray payload;
    };
    // The next whole entry, or false at the end or at a torn or damaged one.
    bool next(Entry& entry);

    QIODevice& device_;
    qint64 commitEnd_ = -1; // device offset after the last commit
    RecordStart start_;
    RecordBinding binding_;
    RecordCommit commit_;
};
