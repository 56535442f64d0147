#pragma once

#include "RecordEntries.h"

#include <QByteArray>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

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
    const DocBinding& binding() const { return binding_; }
    const RecordCommit& commit() const { return commit_; }

    // The record holds the whole text file the document began as, checked against its sum.
    bool holdsBase() const;
    // Hands sink the bytes of that file, as the record holds them, from the start.
    void readBase(const std::function<void(QByteArrayView)>& sink);
    // binding(), with the bound file's stamp as it is now when the file has another stamp but the
    // same bytes as the record knows it had (written back from a private copy, say): a later save
    // must not take that for a change by another program.
    DocBinding currentBinding() const;

    // Makes the document the record begins with: an empty one, or the text file of start() read
    // as Open reads it, from the record's own copy (readBase) when it holds one.
    using MakeBase = std::function<std::unique_ptr<QTextDocument>(RecordReader& reader)>;
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

    void noteBase(const QByteArray& payload, qint64 entryEnd);

    QIODevice& device_;
    // Where each BaseBytes entry's bytes lie in the device, and how many, in the file's order.
    std::vector<std::pair<qint64, qint64>> base_;
    qint64 baseSize_ = 0;
    bool baseSpoilt_ = false;
    std::vector<RecordFileSum> sums_;
    qint64 commitEnd_ = -1; // device offset after the last commit
    RecordStart start_;
    DocBinding binding_;
    RecordCommit commit_;
};
