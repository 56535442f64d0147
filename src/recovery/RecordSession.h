#pragma once

#include "ChangeSpans.h"
#include "RecordEntries.h"
#include "RecordFile.h"

#include <optional>

class QTextDocument;

// Writes the record of a live document: its start, then at each flush the changed stretches
// (ChangeSpans) as Replace entries, and a commit with the binding when it changed. Meanwhile the
// record's thread copies the text file the document began as into the record, and sums the bound
// file, between its other work (FileSnapshot). Writing the
// stretches may be spread over many calls, so that a long one (the whole of a large document)
// holds the user's thread only briefly at a time; only the commit that ends them makes them count.
class RecordSession {
public:
    // baseSlice: the bytes of the opened file the record's thread copies at a step.
    RecordSession(RecordFolder folder, const RecordStart& start, qsizetype baseSlice = 1 << 20);

    // Records the front of spans, about budget characters (a stretch of no characters counts as
    // one). True when none is left.
    bool flush(const QTextDocument& document, ChangeSpans& spans, int budget);
    // Once flush() recorded everything: the binding when it changed, and a commit.
    void commit(const QTextDocument& document, const DocBinding& binding, qint64 lastChangeMs,
                quint64 sequence);

    RecordFile& file() { return file_; }
    // Commits written so far.
    quint64 commits() const { return commits_; }
    // The ticket of the last commit's bytes (RecordFile::durable() reaches it once it is durable).
    quint64 lastCommitTicket() const { return commitTicket_; }
    // Some commit is durable: the record gives a document back.
    bool holdsCommit() { return firstCommitTicket_ > 0 && file_.durable() >= firstCommitTicket_; }

private:
    void snapshot(const QString& path, const FileStamp& stamp, bool copy);

    RecordFile file_;
    std::optional<DocBinding> binding_;
    std::optional<FileStamp> base_; // the stamp of the text file the document began as
    quint64 commits_ = 0;
    quint64 commitTicket_ = 0;
    quint64 firstCommitTicket_ = 0;
    qsizetype baseSlice_;
};
