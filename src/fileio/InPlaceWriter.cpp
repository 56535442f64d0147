#include "InPlaceWriter.h"

#include "Errors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

QString InPlaceWriter::backupFolder() {
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || QDir::isRelativePath(cache)) {
        cache = QDir::homePath() + QStringLiteral("/.cache");
    }
    return cache + QStringLiteral("/zelto");
}

#ifdef Q_OS_UNIX
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr qsizetype kBlock = 1 << 16;

// open(2) without a mode, as nothing here creates a file through it.
int openFile(const QByteArray& path, int flags) {
    return ::open(path.constData(), flags | O_CLOEXEC); // NOLINT(cppcoreguidelines-pro-type-vararg)
}

// Writes all of data to fd; false when a write fails (errno set) or makes no progress (errno 0).
bool writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, static_cast<size_t>(size));
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            if (done == 0) {
                errno = 0;
            }
            return false;
        }
        data += done;
        size -= done;
    }
    return true;
}

// Copies everything from the start of from to the start of to; false with errno set on failure.
bool copyAll(int from, int to) {
    if (::lseek(from, 0, SEEK_SET) < 0 || ::lseek(to, 0, SEEK_SET) < 0) {
        return false;
    }
    QByteArray block(kBlock, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = ::read(from, block.data(), block.size());
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        if (!writeAll(to, block.constData(), got)) {
            return false;
        }
    }
}

bool syncFile(int fd) {
    // EINVAL: a file that cannot be synced, such as a pipe; nothing to wait for.
    return ::fsync(fd) == 0 || errno == EINVAL;
}

void syncFolder(const QByteArray& folder) {
    const int fd = openFile(folder, O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

InPlaceWriter::InPlaceWriter(const QString& fileName) {
    const QByteArray native = QFile::encodeName(fileName);
    fd_ = openFile(native, O_RDWR);
    if (fd_ < 0) {
        InOutError::raiseErrno(errno, fileName);
    }
    try {
        makeBackup(native);
        if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
            InOutError::raiseErrno(errno);
        }
    } catch (...) {
        if (!backup_.isEmpty()) {
            ::unlink(backup_.constData());
        }
        close();
        throw;
    }
}

InPlaceWriter::~InPlaceWriter() {
    if (!done_) {
        restore();
    }
    close();
}

void InPlaceWriter::makeBackup(const QByteArray& fileName) {
    const QString folder = backupFolder();
    if (!QDir().mkpath(folder)) {
        InOutError::raiseErrno(EACCES);
    }
    QFile::setPermissions(folder,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray nativeFolder = QFile::encodeName(folder);
    QByteArray pattern = nativeFolder + '/' +
                         QFile::encodeName(QFileInfo(QFile::decodeName(fileName)).fileName()) +
                         ".XXXXXX";
    const int copy = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (copy < 0) {
        InOutError::raiseErrno(errno);
    }
    backup_ = pattern;
    const bool ok = copyAll(fd_, copy) && syncFile(copy);
    const int err = errno;
    ::close(copy);
    if (!ok) {
        InOutError::raiseWriteErrno(err);
    }
    syncFolder(nativeFolder);
}

void InPlaceWriter::write(QByteArrayView bytes) {
    if (!writeAll(fd_, bytes.data(), bytes.size())) {
        const int err = errno;
        restore();
        InOutError::raiseWriteErrno(err);
    }
}

void InPlaceWriter::commit() {
    if (!syncFile(fd_)) {
        const int err = errno;
        restore();
        InOutError::raiseErrno(err);
    }
    done_ = true;
    ::unlink(backup_.constData());
    backup_.clear();
}

void InPlaceWriter::restore() noexcept {
    done_ = true;
    const int copy = openFile(backup_, O_RDONLY);
    if (copy < 0) {
        return;
    }
    const bool ok = ::ftruncate(fd_, 0) == 0 && copyAll(copy, fd_) && syncFile(fd_);
    ::close(copy);
    if (ok) {
        ::unlink(backup_.constData());
        backup_.clear();
    }
}

void InPlaceWriter::close() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

#else // FileIdentity never asks for a write in place here.

InPlaceWriter::InPlaceWriter(const QString&) {
    InOutError::raiseErrno(EACCES);
}
InPlaceWriter::~InPlaceWriter() = default;
void InPlaceWriter::write(QByteArrayView) {}
void InPlaceWriter::commit() {}

#endif
