#include "PosixFile.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int PosixFile::open(const QByteArray& path, int flags, mode_t mode) {
    return ::open(path.constData(), flags | O_CLOEXEC, mode); // NOLINT(*-vararg)
}

bool PosixFile::writeAll(int fd, const char* data, qsizetype size) {
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

qsizetype PosixFile::readSome(int fd, char* data, qsizetype size) {
    qsizetype got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, static_cast<size_t>(size - got));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return -1;
        }
        if (n == 0) {
            break;
        }
        got += n;
    }
    return got;
}

bool PosixFile::copy(int from, int to, const std::function<void(qint64)>& copied) {
    constexpr qsizetype kBlock = 1 << 20;
    QByteArray block(kBlock, Qt::Uninitialized);
    qint64 done = 0;
    for (;;) {
        const qsizetype got = readSome(from, block.data(), kBlock);
        if (got <= 0) {
            return got == 0;
        }
        if (!writeAll(to, block.constData(), got)) {
            return false;
        }
        done += got;
        if (copied) {
            copied(done);
        }
    }
}

bool PosixFile::sync(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL;
}

void PosixFile::syncFolder(const QByteArray& folder) {
    const int fd = open(folder, O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool PosixFile::makeFolder(const QByteArray& path, mode_t mode) {
    if (::mkdir(path.constData(), mode) != 0) {
        return errno == EEXIST;
    }
    syncFolder(folderOf(path));
    return true;
}

bool PosixFile::makePath(const QByteArray& path, mode_t mode) {
    for (qsizetype slash = path.indexOf('/', 1); slash > 0; slash = path.indexOf('/', slash + 1)) {
        if (!makeFolder(path.left(slash), mode)) {
            return false;
        }
    }
    return makeFolder(path, mode);
}

QByteArray PosixFile::folderOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : path.left(slash);
}

#endif
