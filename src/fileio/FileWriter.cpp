#include "FileWriter.h"

#include "Errors.h"
#include "FileIdentity.h"
#include "InPlaceWriter.h"

#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

FileWriter::FileWriter(const QString& fileName) {
    const QFileInfo target(fileName);
    if (target.isDir()) {
        InOutError::raiseErrno(EISDIR);
    }
    // A read-only target stays as it is, as it would if the file were written in place.
    if (target.exists() && !target.isWritable()) {
        InOutError::raiseErrno(EACCES);
    }
    // The file a symbolic link names is the one written.
    const QString path = target.exists() ? target.canonicalFilePath() : fileName;
    const FileIdentity identity = FileIdentity::of(path);
    if (identity.exists() && identity.needsInPlaceWrite()) {
        inPlace_ = std::make_unique<InPlaceWriter>(path);
        return;
    }
    file_ = std::make_unique<QSaveFile>(path);
    errno = 0;
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        InOutError::raiseErrnoOr(errno, EACCES, path);
    }
    if (identity.exists() && !identity.applyTo(static_cast<int>(file_->handle()))) {
        file_.reset(); // never committed: the temporary file goes
        inPlace_ = std::make_unique<InPlaceWriter>(path);
    }
}

FileWriter::~FileWriter() = default; // QSaveFile removes an uncommitted temporary file

void FileWriter::write(QByteArrayView bytes) {
    if (inPlace_) {
        inPlace_->write(bytes);
        return;
    }
    errno = 0;
    if (file_->write(bytes.data(), bytes.size()) != bytes.size()) {
        InOutError::raiseWriteErrno(errno);
    }
}

void FileWriter::commit() {
    if (inPlace_) {
        inPlace_->commit();
        return;
    }
#ifdef Q_OS_UNIX
    // QSaveFile ignores a failed flush to the disk, after which the data may never reach it; the
    // save must fail then, before the old file is replaced. EINVAL: the file cannot be flushed.
    if (::fdatasync(static_cast<int>(file_->handle())) != 0 && errno != EINVAL) {
        InOutError::raiseErrno(errno);
    }
#endif
    errno = 0;
    if (!file_->commit()) {
        InOutError::raiseErrnoOr(errno, EIO);
    }
}
