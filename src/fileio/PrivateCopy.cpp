#include "PrivateCopy.h"

#include "Crc32.h"
#include "Errors.h"
#include "FileName.h"
#include "PosixFile.h"
#include "PrivateFolder.h"

#include <QDateTime>
#include <QList>
#include <QRandomGenerator>
#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kMagic = "zelto in-place save\n";
const QByteArray kReady = "ready\n";
const QByteArray kFinished = "finished ";
constexpr qsizetype kBlock = 1 << 20;
const QByteArray kRecordSuffix = ".origin";
constexpr qsizetype kRandom = 6; // the characters that tell copies of one file apart
constexpr qsizetype kCopySuffix = 1 + kRandom;

PrivateFolder cacheFolder() {
    return PrivateFolder::ofXdg("XDG_CACHE_HOME", QStringLiteral(".cache"),
                                QStringLiteral("zelto"));
}

// <the file's name>.XXXXXX.origin, six letters or digits in place of the Xs.
bool isRecordName(QByteArrayView name) {
    if (!name.endsWith(kRecordSuffix) || name.size() <= kRecordSuffix.size() + kCopySuffix) {
        return false;
    }
    const QByteArrayView copy = name.chopped(kRecordSuffix.size());
    const QByteArrayView random = copy.last(kRandom);
    return copy[copy.size() - kCopySuffix] == '.' &&
           std::all_of(random.begin(), random.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
           });
}

QByteArray randomSuffix() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray suffix(".");
    for (qsizetype i = 0; i < kRandom; ++i) {
        suffix += kLetters[QRandomGenerator::system()->bounded(int(sizeof kLetters) - 1)];
    }
    return suffix;
}

QByteArray readRecord(const OpenFolder& folder, const QByteArray& name) {
    const int fd = folder.openOwn(name, O_RDONLY);
    if (fd < 0) {
        return {};
    }
    QByteArray record(4096 + 256, Qt::Uninitialized);
    const qsizetype n = PosixFile::readSome(fd, record.data(), record.size());
    ::close(fd);
    record.truncate(std::max<qsizetype>(n, 0));
    return record;
}

// Whether the regular file at target holds the same bytes as the file open as copy.
bool sameBytes(const QByteArray& target, int copy) {
    const int fd = PosixFile::open(target, O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    QByteArray a(kBlock, Qt::Uninitialized);
    QByteArray b(kBlock, Qt::Uninitialized);
    bool same = ::lseek(copy, 0, SEEK_SET) == 0;
    while (same) {
        const qsizetype n = PosixFile::readSome(fd, a.data(), kBlock);
        const qsizetype m = PosixFile::readSome(copy, b.data(), kBlock);
        same = n >= 0 && n == m && std::memcmp(a.constData(), b.constData(), n) == 0;
        if (n <= 0) {
            break;
        }
    }
    ::close(fd);
    return same;
}

// Whether the file at target holds what the record's mark of a finished write says.
bool holdsFinished(const QByteArray& target, const QByteArray& mark) {
    const QList<QByteArray> parts = mark.trimmed().split(' ');
    if (!mark.startsWith(kFinished) || parts.size() != 3) {
        return false;
    }
    const int fd = PosixFile::open(target, O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    quint32 crc = 0;
    qint64 size = 0;
    QByteArray block(kBlock, Qt::Uninitialized);
    qsizetype n = 0;
    while ((n = PosixFile::readSome(fd, block.data(), kBlock)) > 0) {
        crc = crc32(QByteArrayView(block.constData(), n), crc);
        size += n;
    }
    ::close(fd);
    return n == 0 && parts[1] == QByteArray::number(size) && parts[2] == QByteArray::number(crc);
}

} // namespace

PrivateCopy::PrivateCopy(const QByteArray& target, int from, Progress& progress) : target_(target) {
    folder_ = cacheFolder().open();
    const QByteArray nativeFolder = FileName::encode(folder_->path());
    // The copy's name and its record's stay within the folder's limit whatever the file's length.
    const qsizetype room = FileName::maxLength(nativeFolder) - kCopySuffix - kRecordSuffix.size();
    const QByteArray stem = FileName::cut(target.mid(target.lastIndexOf('/') + 1), room);
    for (int attempt = 0; fd_ < 0 && attempt < 100; ++attempt) {
        name_ = stem + randomSuffix();
        fd_ = folder_->create(name_, O_RDWR);
        if (fd_ < 0 && errno != EEXIST) {
            InOutError::raiseErrno(errno);
        }
    }
    if (fd_ < 0) {
        InOutError::raiseErrno(EEXIST);
    }
    path_ = nativeFolder + '/' + name_;
    try {
        ::flock(fd_, LOCK_EX);
        // The record first, so that a copy left half-made is known for one.
        appendRecord(kMagic + target + '\0', false, true);
        if (::lseek(from, 0, SEEK_SET) != 0) {
            InOutError::raiseErrno(errno);
        }
        if (!PosixFile::copy(from, fd_, [&progress](qint64 copied) { progress.step(copied); })) {
            InOutError::raiseWriteErrno(errno);
        }
        if (!PosixFile::sync(fd_)) {
            InOutError::raiseErrno(errno);
        }
        appendRecord(kReady, true);
        folder_->sync();
    } catch (...) {
        remove();
        throw;
    }
}

PrivateCopy::~PrivateCopy() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void PrivateCopy::appendRecord(const QByteArray& text, bool sync, bool first) const {
    // Made here, never one found in its place.
    const int fd = first ? folder_->create(recordName(), O_WRONLY | O_APPEND)
                         : folder_->openOwn(recordName(), O_WRONLY | O_APPEND);
    if (fd < 0) {
        InOutError::raiseErrno(errno);
    }
    const bool ok =
        PosixFile::writeAll(fd, text.constData(), text.size()) && (!sync || PosixFile::sync(fd));
    const int err = errno;
    ::close(fd);
    if (!ok) {
        InOutError::raiseWriteErrno(err);
    }
}

void PrivateCopy::markFinished(qint64 size, quint32 crc) const noexcept {
    try {
        appendRecord(kFinished + QByteArray::number(size) + ' ' + QByteArray::number(crc) + '\n',
                     false);
    } catch (const InOutError&) {
        // Without the mark, a process that stops before the copy goes has it offered back.
    }
}

qint64 PrivateCopy::size() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? st.st_size : 0;
}

void PrivateCopy::read(const Sink& sink) const {
    if (::lseek(fd_, 0, SEEK_SET) != 0) {
        InOutError::raiseErrno(errno);
    }
    QByteArray block(kBlock, Qt::Uninitialized);
    qsizetype got = 0;
    while ((got = PosixFile::readSome(fd_, block.data(), kBlock)) > 0) {
        sink(QByteArrayView(block.constData(), got));
    }
    if (got < 0) {
        InOutError::raiseErrno(errno);
    }
}

void PrivateCopy::remove() {
    if (!folder_) {
        return;
    }
    folder_->removeOwn(recordName());
    if (fd_ >= 0) {
        folder_->remove(name_, fd_);
    }
    // Gone for good before the save returns: a power cut after it must not bring the copy back
    // for the next start to offer, as the copy of a save that never finished.
    folder_->sync();
}

std::vector<std::unique_ptr<PrivateCopy>> PrivateCopy::leftBehind() {
    std::vector<std::unique_ptr<PrivateCopy>> copies;
    const std::shared_ptr<const OpenFolder> folder = cacheFolder().openExisting();
    if (!folder) {
        return copies; // no save ever made a copy, or a folder that may not be used
    }
    for (const QByteArray& name : folder->names(isRecordName)) {
        auto copy = std::unique_ptr<PrivateCopy>(new PrivateCopy);
        copy->folder_ = folder;
        copy->name_ = name.chopped(kRecordSuffix.size());
        copy->path_ = FileName::encode(folder->path()) + '/' + copy->name_;
        const QByteArray record = readRecord(*folder, name);
        if (!record.startsWith(kMagic)) {
            continue; // not one of ours
        }
        copy->fd_ = folder->openOwn(copy->name_, O_RDONLY);
        if (copy->fd_ < 0 && errno != ENOENT) {
            continue; // a file that is not the user's own is left alone
        }
        if (copy->fd_ >= 0 && ::flock(copy->fd_, LOCK_EX | LOCK_NB) != 0) {
            continue; // a save that is running now
        }
        if (!copy->offered(record)) {
            copy->remove();
            continue;
        }
        copies.push_back(std::move(copy));
    }
    return copies;
}

bool PrivateCopy::offered(const QByteArray& record) {
    const qsizetype end = record.indexOf('\0', kMagic.size());
    const QByteArray marks = record.mid(end + 1);
    target_ = record.mid(kMagic.size(), end - kMagic.size());
    // The file was not touched before its copy was ready, and a record without its copy leaves
    // nothing to offer; nor does a file that holds what its save wrote, or its old bytes.
    if (end < 0 || !marks.startsWith(kReady) || fd_ < 0 ||
        holdsFinished(target_, marks.mid(kReady.size())) || sameBytes(target_, fd_)) {
        return false;
    }
    // Offered from now on: a copy the user keeps for later is kept only so long.
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        return true;
    }
    if (!OpenFolder::isSetAside(st)) {
        OpenFolder::setAside(fd_);
        return true;
    }
    return OpenFolder::keptAside(st, QDateTime::currentSecsSinceEpoch());
}

QString PrivateCopy::folder() {
    return cacheFolder().path();
}

#else // Nothing is written in place here.

QString PrivateCopy::folder() {
    return {};
}

PrivateCopy::PrivateCopy(const QByteArray&, int, Progress&) {
    InOutError::raiseErrno(EACCES);
}
PrivateCopy::~PrivateCopy() = default;
std::vector<std::unique_ptr<PrivateCopy>> PrivateCopy::leftBehind() {
    return {};
}
void PrivateCopy::markFinished(qint64, quint32) const noexcept {}
void PrivateCopy::remove() {}
qint64 PrivateCopy::size() const {
    return 0;
}
void PrivateCopy::read(const Sink&) const {}
void PrivateCopy::appendRecord(const QByteArray&, bool, bool) const {}
bool PrivateCopy::offered(const QByteArray&) {
    return false;
}

#endif
