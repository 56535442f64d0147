#pragma once

#include <QByteArrayView>
#include <QString>
#include <memory>

class InPlaceWriter;
class QSaveFile;

// Writes a file whole or not at all. As a rule the bytes go to a temporary file beside the target,
// which takes the old file's owner, group, mode and extended attributes and replaces it only when
// everything was written, so a failure leaves the old file whole. Where a new file would not be
// the same file (FileIdentity::needsInPlaceWrite, or a property it cannot be given), the old file
// is written in place behind a private copy instead (InPlaceWriter). Symbolic links are written
// through. Every failure throws InOutError with the code of the failing call.
class FileWriter {
public:
    explicit FileWriter(const QString& fileName);
    // Discards what was written unless commit() succeeded.
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    void write(QByteArrayView bytes);
    // Puts the written file in place of the target.
    void commit();

private:
    std::unique_ptr<QSaveFile> file_;
    std::unique_ptr<InPlaceWriter> inPlace_;
};
