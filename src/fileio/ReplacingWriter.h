#pragma once

#include "FileStamp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>

class QSaveFile;

// Writes a new file beside the target and renames it over the target once every byte is written
// and flushed to the disk, so that the target is always the old file whole or the new one whole.
// The new file has no name until then where the system allows (O_TMPFILE); it then takes a short
// temporary name, within the folder's name limit whatever the target's length, just before the
// rename. A writer that is not committed leaves nothing behind. Every failure throws InOutError
// with the code of the failing call.
class ReplacingWriter {
public:
    explicit ReplacingWriter(const QString& fileName);
    ~ReplacingWriter();
    ReplacingWriter(const ReplacingWriter&) = delete;
    ReplacingWriter& operator=(const ReplacingWriter&) = delete;

    // The new file, for giving it the old one's owner, mode and attributes.
    int handle() const;
    void write(QByteArrayView bytes);
    // Puts the new file in the target's place; returns its stamp.
    FileStamp commit();

private:
#ifdef Q_OS_UNIX
    // A free name for the new file in the target's folder.
    QByteArray temporaryName() const;
    // Gives the unnamed new file the name path.
    bool link(const QByteArray& path) const;

    QByteArray target_;
    QByteArray folder_;
    QByteArray named_; // the new file's temporary name while it has one
    int fd_ = -1;
#else
    std::unique_ptr<QSaveFile> file_;
#endif
};
