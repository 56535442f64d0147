#include "FileWriter.h"

#include "Errors.h"
#include "FileIdentity.h"
#include "FileName.h"
#include "InPlaceWriter.h"
#include "ReplacingWriter.h"

#include <cerrno>
#include <cstdlib>
#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

// The file a symbolic link names, for a file that exists.
QString resolved(const QString& fileName) {
#ifdef Q_OS_UNIX
    char* real = ::realpath(FileName::encode(fileName).constData(), nullptr);
    if (real != nullptr) {
        QString path = FileName::decode(real);
        std::free(real); // NOLINT(cppcoreguidelines-no-malloc)
        return path;
    }
#endif
    return fileName;
}

bool writable(const QString& path) {
#ifdef Q_OS_UNIX
    return ::faccessat(AT_FDCWD, FileName::encode(path).constData(), W_OK, AT_EACCESS) == 0;
#else
    Q_UNUSED(path);
    return true;
#endif
}

} // namespace

FileWriter::FileWriter(const QString& fileName, Progress& progress, qint64 units)
    : progress_(progress) {
    const FileStamp target = FileStamp::of(fileName);
    target.refuseSpecial(fileName);
    if (target.kind() == FileStamp::Kind::Folder) {
        InOutError::raiseErrno(EISDIR);
    }
    // A read-only target stays as it is, as it would if the file were written in place; one on a
    // read-only file system is told as such.
    if (target.exists() && !writable(fileName)) {
        InOutError::raiseErrno(errno == EROFS ? EROFS : EACCES);
    }
    const QString path = target.exists() ? resolved(fileName) : fileName;
    const FileIdentity identity = FileIdentity::of(path);
    if (!identity.exists() || !identity.needsInPlaceWrite()) {
        file_ = std::make_unique<ReplacingWriter>(path);
        if (!identity.exists() || identity.applyTo(file_->handle())) {
            progress.begin(units);
            return;
        }
        file_.reset(); // never committed: the new file goes
    }
    inPlace_ = std::make_unique<InPlaceWriter>(path, progress, units);
    progress_.offset = inPlace_->copied();
}

FileWriter::~FileWriter() = default;

void FileWriter::reserve(qint64 bytes) {
    if (inPlace_) {
        inPlace_->reserve(bytes);
    }
}

void FileWriter::write(QByteArrayView bytes) {
    if (inPlace_) {
        inPlace_->write(bytes);
    } else {
        file_->write(bytes);
    }
}

FileStamp FileWriter::commit() {
    return inPlace_ ? inPlace_->commit() : file_->commit();
}

void FileWriter::abandon() {
    if (inPlace_) {
        inPlace_->abandon();
    }
    file_.reset();
}
