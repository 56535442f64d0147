#pragma once

#include "FileStamp.h"
#include "Progress.h"

#include <QByteArrayView>
#include <QString>
#include <memory>

class InPlaceWriter;
class ReplacingWriter;

// Writes a file whole or not at all. As a rule the bytes go to a new file beside the target
// (ReplacingWriter), which takes the old file's owner, group, mode and extended attributes and
// replaces it only when everything was written, so a failure leaves the old file whole. Where a
// new file would not be the same file (FileIdentity::needsInPlaceWrite, or a property it cannot be
// given), the old file is written in place behind a private copy instead (InPlaceWriter).
// Symbolic links are written through. A pipe, socket or device is never written nor replaced: it
// is refused with NotRegularFile. Every other failure throws InOutError with the code of the
// failing call.
class FileWriter {
public:
    // Begins progress for units units of writing, reported through progress(), after the private
    // copy of a file written in place, which is reported first.
    explicit FileWriter(const QString& fileName, Progress& progress = NullProgress::instance(),
                        qint64 units = 0);
    // Discards what was written unless commit() succeeded.
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Where the write reports how many of its units are done.
    Progress& progress() { return progress_; }
    // Secures room for bytes in all before an old byte is overwritten, where the file is written
    // in place and the file system allows; the write then cannot run out of room half-way.
    void reserve(qint64 bytes);
    void write(QByteArrayView bytes);
    // Puts the written file in place of the target; returns the stamp of what is there now.
    FileStamp commit();
    // Discards what was written, putting back the old contents of a file written in place; throws
    // InOutError when they could not be put back. For a write that stops before its commit.
    void abandon();

private:
    // The write's units, after those of the private copy.
    class AfterCopy : public Progress {
    public:
        explicit AfterCopy(Progress& outer) : outer_(outer) {}
        void begin(qint64 /*total*/) override {} // begun whole by the writer
        bool advance(qint64 done) override { return outer_.advance(offset + done); }
        qint64 offset = 0;

    private:
        Progress& outer_;
    };

    std::unique_ptr<ReplacingWriter> file_;
    std::unique_ptr<InPlaceWriter> inPlace_;
    AfterCopy progress_;
};
