#include "PrivateCopy.h"

#include "Errors.h"
#include "FileName.h"
#include "PosixFile.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <algorithm>
#include <cstring>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray kMagic = "zelto in-place save\n";
const QByteArray kReady = "ready\n";
const QByteArray kFinished = "finished ";
constexpr qsizetype kBlock = 1 << 20;
constexpr qsizetype kRecordSuffix = 7; // ".origin"
constexpr qsizetype kCopySuffix = 7;   // ".XXXXXX"

QByteArray readRecord(const QByteArray& path) {
    const int fd = PosixFile::open(path, O_RDONLY | O_NONBLOCK);
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
    ContentHash hash;
    qint64 size = 0;
    QByteArray block(kBlock, Qt::Uninitialized);
    qsizetype n = 0;
    while ((n = PosixFile::readSome(fd, block.data(), kBlock)) > 0) {
        hash.add(QByteArrayView(block.constData(), n));
        size += n;
    }
    ::close(fd);
    return n == 0 && parts[1] == QByteArray::number(size) &&
           parts[2] == QByteArray::number(hash.value());
}

} // namespace

PrivateCopy::PrivateCopy(const QByteArray& target, int from, Progress& progress) : target_(target) {
    const QString folderName = folder();
    if (!PosixFile::makePath(FileName::encode(folderName), 0777)) {
        InOutError::raiseErrno(errno);
    }
    QFile::setPermissions(folderName,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QByteArray nativeFolder = FileName::encode(folderName);
    // The copy's name and its record's stay within the folder's limit whatever the file's length.
    const qsizetype room = FileName::maxLength(nativeFolder) - kCopySuffix - kRecordSuffix;
    QByteArray pattern = nativeFolder + '/' +
                         FileName::cut(target.mid(target.lastIndexOf('/') + 1), room) + ".XXXXXX";
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        InOutError::raiseErrno(errno);
    }
    path_ = pattern;
    try {
        ::flock(fd_, LOCK_EX);
        // The record first, so that a copy left half-made is known for one.
        appendRecord(kMagic + target + '\0', false);
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
        PosixFile::syncFolder(nativeFolder);
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

void PrivateCopy::appendRecord(const QByteArray& text, bool sync) const {
    const int fd = PosixFile::open(recordPath(), O_WRONLY | O_CREAT | O_APPEND, 0600);
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

void PrivateCopy::markFinished(qint64 size, quint64 hash) const noexcept {
    try {
        appendRecord(kFinished + QByteArray::number(size) + ' ' + QByteArray::number(hash) + '\n',
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
    ::unlink(recordPath().constData());
    ::unlink(path_.constData());
    // Gone for good before the save returns: a power cut after it must not bring the copy back
    // for the next start to offer, as the copy of a save that never finished.
    PosixFile::syncFolder(PosixFile::folderOf(path_));
}

std::vector<std::unique_ptr<PrivateCopy>> PrivateCopy::leftBehind() {
    std::vector<std::unique_ptr<PrivateCopy>> copies;
    const QByteArray nativeFolder = FileName::encode(folder());
    DIR* dir = ::opendir(nativeFolder.constData());
    if (dir == nullptr) {
        return copies;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.endsWith(".origin") || name.size() <= kRecordSuffix) {
            continue;
        }
        auto copy = std::unique_ptr<PrivateCopy>(new PrivateCopy);
        copy->path_ = nativeFolder + '/' + name.chopped(kRecordSuffix);
        const QByteArray record = readRecord(copy->recordPath());
        if (!record.startsWith(kMagic)) {
            continue; // not one of ours
        }
        copy->fd_ = PosixFile::open(copy->path_, O_RDONLY | O_NONBLOCK);
        if (copy->fd_ >= 0 && ::flock(copy->fd_, LOCK_EX | LOCK_NB) != 0) {
            continue; // a save that is running now
        }
        const qsizetype end = record.indexOf('\0', kMagic.size());
        const QByteArray marks = record.mid(end + 1);
        copy->target_ = record.mid(kMagic.size(), end - kMagic.size());
        // The file was not touched before its copy was ready, and a record without its copy
        // leaves nothing to offer; nor does a file that holds what its save wrote, or its old
        // bytes.
        if (end < 0 || !marks.startsWith(kReady) || copy->fd_ < 0 ||
            holdsFinished(copy->target_, marks.mid(kReady.size())) ||
            sameBytes(copy->target_, copy->fd_)) {
            copy->remove();
            continue;
        }
        copies.push_back(std::move(copy));
    }
    ::closedir(dir);
    return copies;
}

#else // Nothing is written in place here.

PrivateCopy::PrivateCopy(const QByteArray&, int, Progress&) {
    InOutError::raiseErrno(EACCES);
}
PrivateCopy::~PrivateCopy() = default;
std::vector<std::unique_ptr<PrivateCopy>> PrivateCopy::leftBehind() {
    return {};
}
void PrivateCopy::markFinished(qint64, quint64) const noexcept {}
void PrivateCopy::remove() {}
qint64 PrivateCopy::size() const {
    return 0;
}
void PrivateCopy::read(const Sink&) const {}
void PrivateCopy::appendRecord(const QByteArray&, bool) const {}

#endif

void ContentHash::add(QByteArrayView bytes) {
    constexpr quint64 kMultiplier = 0xFF51AFD7ED558CCDULL;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    while (p < end) {
        // Eight bytes make a word: one multiply for each.
        if (pendingCount_ == 0) {
            while (end - p >= 8) {
                quint64 word = 0;
                std::memcpy(&word, p, 8);
                hash_ = (hash_ ^ word) * kMultiplier;
                hash_ ^= hash_ >> 29;
                p += 8;
            }
            if (p == end) {
                break;
            }
        }
        pending_ |= quint64(*p++) << (8 * pendingCount_);
        if (++pendingCount_ == 8) {
            hash_ = (hash_ ^ pending_) * kMultiplier;
            hash_ ^= hash_ >> 29;
            pending_ = 0;
            pendingCount_ = 0;
        }
    }
}

quint64 ContentHash::value() const {
    return ((hash_ ^ pending_) * 0xC4CEB9FE1A85EC53ULL) ^ quint64(pendingCount_);
}

QString PrivateCopy::folder() {
    QString cache = qEnvironmentVariable("XDG_CACHE_HOME");
    if (cache.isEmpty() || QDir::isRelativePath(cache)) {
        cache = QDir::homePath() + QStringLiteral("/.cache");
    }
    return cache + QStringLiteral("/zelto");
}
