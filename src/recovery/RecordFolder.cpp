#include "RecordFolder.h"

#include "Errors.h"
#include "PosixFile.h"
#include "RecordFormat.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

// Opens path (no symbolic link followed) and locks it without waiting; -1 when it cannot be
// opened or another process holds it.
int openLocked(const QString& path, int flags, mode_t mode = 0) {
    const QByteArray name = native(path);
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg)
    const int fd = ::open(name.constData(), flags | O_CLOEXEC | O_NOFOLLOW, mode);
    if (fd < 0) {
        return -1;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

QString homeFolder() {
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty()) {
        if (const passwd* pw = ::getpwuid(::getuid())) {
            home = QFile::decodeName(pw->pw_dir);
        }
    }
    return home;
}

} // namespace

LockedFile::LockedFile(LockedFile&& other) noexcept
    : path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
    if (this != &other) {
        close();
        path_ = std::move(other.path_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

LockedFile::~LockedFile() {
    close();
}

void LockedFile::close() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

RecordFolder RecordFolder::standard() {
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString sub = QStringLiteral("/zelto/recovery");
    // The base folder's spec asks for an absolute path; a relative one is ignored.
    if (!state.isEmpty() && QDir::isAbsolutePath(state)) {
        return {QDir::cleanPath(state) + sub, QFileInfo(QDir::cleanPath(state)).path()};
    }
    const QString home = homeFolder();
    return {home + QStringLiteral("/.local/state") + sub, home};
}

RecordFolder::RecordFolder(QString path, QString anchor)
    : path_(std::move(path)), anchor_(std::move(anchor)) {}

void RecordFolder::make() const {
    if (anchor_.isEmpty() || !QFileInfo(anchor_).isDir()) {
        InOutError::raiseErrno(ENOENT);
    }
    // Each missing folder from the anchor down is made private; the last one is made private
    // also when it exists.
    const QStringList parts =
        QDir(anchor_).relativeFilePath(path_).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString at = anchor_;
    for (const QString& part : parts) {
        at += QLatin1Char('/') + part;
        if (!PosixFile::makeFolder(native(at), 0700)) {
            InOutError::raiseErrno(errno, at);
        }
    }
    struct stat st {};
    if (::stat(native(path_).constData(), &st) != 0) {
        InOutError::raiseErrno(errno, path_);
    }
    if (!S_ISDIR(st.st_mode)) {
        InOutError::raiseErrno(ENOTDIR);
    }
    if ((st.st_mode & 0777) != 0700 && ::chmod(native(path_).constData(), 0700) != 0) {
        InOutError::raiseErrno(errno, path_);
    }
}

LockedFile RecordFolder::create() const {
    make();
    const QString name = QStringLiteral("%1-%2")
                             .arg(QDateTime::currentMSecsSinceEpoch())
                             .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'));
    // Made under a name no scan takes and locked before it gets its own, so that no starting
    // editor ever finds it unlocked.
    const QString temporary = path_ + QStringLiteral("/.") + name;
    const int fd = openLocked(temporary, O_RDWR | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
        InOutError::raiseErrno(errno, temporary);
    }
    const QString named = path_ + QLatin1Char('/') + name + Record::kSuffix.toString();
    if (::rename(native(temporary).constData(), native(named).constData()) != 0) {
        const int err = errno;
        ::unlink(native(temporary).constData());
        ::close(fd);
        InOutError::raiseErrno(err);
    }
    return {named, fd};
}

std::vector<LockedFile> RecordFolder::claimOrphans() const {
    // A record made by an editor that died before it got its name holds nothing yet.
    for (const QString& name :
         QDir(path_).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden)) {
        const QString path = path_ + QLatin1Char('/') + name;
        const int fd = openLocked(path, O_RDONLY);
        if (fd >= 0) {
            ::unlink(native(path).constData());
            ::close(fd);
        }
    }
    std::vector<LockedFile> claimed;
    const QStringList names = QDir(path_).entryList({QLatin1Char('*') + Record::kSuffix.toString()},
                                                    QDir::Files, QDir::Name);
    for (const QString& name : names) {
        const QString path = path_ + QLatin1Char('/') + name;
        const int fd = openLocked(path, O_RDONLY);
        if (fd < 0) {
            continue;
        }
        // A record deleted or replaced by its writer between the open and the lock is not one.
        struct stat held {};
        struct stat now {};
        if (::fstat(fd, &held) == 0 && held.st_nlink > 0 &&
            ::stat(native(path).constData(), &now) == 0 && now.st_ino == held.st_ino &&
            now.st_dev == held.st_dev) {
            claimed.emplace_back(path, fd);
        } else {
            ::close(fd);
        }
    }
    return claimed;
}

QString RecordFolder::putAside(LockedFile& record) {
    QString aside = record.path();
    aside.chop(Record::kSuffix.size());
    aside += Record::kAsideSuffix;
    if (::rename(native(record.path()).constData(), native(aside).constData()) != 0) {
        InOutError::raiseErrno(errno);
    }
    record.close();
    return aside;
}

void RecordFolder::remove(LockedFile& record) {
    ::unlink(native(record.path()).constData());
    record.close();
}
