#include "PrivateFolder.h"

#include "Descriptor.h"
#include "Errors.h"
#include "FileName.h"

#include <QDir>
#include <QList>
#include <ctime>
#include <optional>
#include <utility>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

constexpr mode_t kPrivate = 0700;

QString homeFolder() {
    QByteArray home = qgetenv("HOME");
    if (home.isEmpty()) {
        if (const passwd* pw = ::getpwuid(::geteuid())) {
            home = pw->pw_dir;
        }
    }
    return FileName::decode(home);
}

// Why a folder that exists may not be used, or nothing when it may.
QString refusal(const struct stat& st, const QString& path) {
    QString why;
    if (S_ISLNK(st.st_mode)) {
        why = QStringLiteral("Папка «%1» — символическая ссылка");
    } else if (st.st_uid != ::geteuid()) {
        why = QStringLiteral("Папка «%1» принадлежит другому пользователю");
    } else if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        why = QStringLiteral("В папку «%1» могут писать другие пользователи");
    } else {
        return {};
    }
    return why.arg(QDir::toNativeSeparators(FileName::display(path))) +
           QStringLiteral("; Zelto не пользуется ею и ничего в ней не трогает");
}

// The folders of path below anchor, or nothing when path is not below it.
std::optional<QList<QByteArray>> partsBelow(const QByteArray& path, const QByteArray& anchor) {
    QByteArray rest;
    if (anchor == "/" && path.startsWith('/')) {
        rest = path.mid(1);
    } else if (path.startsWith(anchor + '/')) {
        rest = path.mid(anchor.size() + 1);
    } else {
        return std::nullopt;
    }
    QList<QByteArray> parts = rest.split('/');
    parts.removeAll(QByteArray());
    return parts;
}

// Opens path below the open folder dir, making missing folders when make; -1 with errno when a
// folder cannot be made or opened, and a refusal note when one may not be used.
int openChain(Descriptor& dir, const QList<QByteArray>& parts, bool make, const QString& path,
              QString& note) {
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QByteArray& part = parts[i];
        const bool last = i + 1 == parts.size();
        const bool made = make && ::mkdirat(dir.get(), part.constData(), kPrivate) == 0;
        if (make && !made && errno != EEXIST) {
            return -1;
        }
        // The new name is durable only once its parent is synced: a power cut must not take the
        // folder, and the copy or record in it, with it.
        if (made) {
            ::fsync(dir.get());
        }
        // A folder made here, and the private one itself, is never reached through a link.
        const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (made || last ? O_NOFOLLOW : 0);
        const int next = ::openat(dir.get(), part.constData(), flags); // NOLINT(*-vararg)
        if (next < 0) {
            struct stat st {};
            if (last && ::fstatat(dir.get(), part.constData(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISLNK(st.st_mode)) {
                note = refusal(st, path);
            }
            return -1;
        }
        dir.reset(next);
        // The umask may have taken bits the user needs, or left others theirs.
        struct stat st {};
        if (made && ::fstat(dir.get(), &st) == 0 && (st.st_mode & 07777) != kPrivate) {
            ::fchmod(dir.get(), kPrivate);
        }
    }
    struct stat st {};
    if (::fstat(dir.get(), &st) != 0) {
        return -1;
    }
    note = refusal(st, path);
    if (!note.isEmpty()) {
        errno = EACCES;
        return -1;
    }
    // The user's own folder, readable by others: the records in it are the user's text.
    if ((st.st_mode & 07777) != kPrivate) {
        ::fchmod(dir.get(), kPrivate);
    }
    return dir.release();
}

} // namespace

PrivateFolder PrivateFolder::ofXdg(const char* variable, const QString& fallback,
                                   const QString& sub) {
    const QString base = FileName::decode(qgetenv(variable));
    // The base folder's rule asks for an absolute path; a relative one is ignored.
    if (!base.isEmpty() && QDir::isAbsolutePath(base)) {
        return {QDir::cleanPath(base + QLatin1Char('/') + sub), QStringLiteral("/")};
    }
    const QString home = homeFolder();
    return {QDir::cleanPath(home + QLatin1Char('/') + fallback + QLatin1Char('/') + sub), home};
}

PrivateFolder::PrivateFolder(QString path, QString anchor)
    : path_(std::move(path)), anchor_(std::move(anchor)) {}

std::shared_ptr<const OpenFolder> PrivateFolder::open() const {
    const QByteArray anchor = FileName::encode(anchor_);
    const auto parts = partsBelow(FileName::encode(path_), anchor);
    if (!parts) {
        InOutError::raiseErrno(EINVAL);
    }
    Descriptor dir(anchor.isEmpty() ? -1
                                    : ::open(anchor.constData(), // NOLINT(*-vararg)
                                             O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() < 0) {
        InOutError::raiseErrno(ENOENT);
    }
    QString note;
    const int fd = openChain(dir, *parts, true, path_, note);
    if (fd < 0) {
        if (!note.isEmpty()) {
            throw InOutError(IoCode::AccessDenied, note);
        }
        InOutError::raiseErrno(errno);
    }
    return std::make_shared<const OpenFolder>(path_, fd);
}

std::shared_ptr<const OpenFolder> PrivateFolder::openExisting() const noexcept {
    const QByteArray anchor = FileName::encode(anchor_);
    const auto parts = partsBelow(FileName::encode(path_), anchor);
    if (!parts || anchor.isEmpty()) {
        return {};
    }
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg)
    Descriptor dir(::open(anchor.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    QString note;
    const int fd = dir.get() < 0 ? -1 : openChain(dir, *parts, false, path_, note);
    return fd < 0 ? nullptr : std::make_shared<const OpenFolder>(path_, fd);
}

OpenFolder::~OpenFolder() {
    ::close(fd_);
}

QString OpenFolder::pathOf(QByteArrayView name) const {
    return path_ + QLatin1Char('/') + FileName::decode(name);
}

int OpenFolder::create(const QByteArray& name, int flags) const {
    const int fd = ::openat(fd_, name.constData(), // NOLINT(*-vararg)
                            flags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    // A umask that took the user's own bits would leave the file looking set aside.
    if (fd >= 0) {
        ::fchmod(fd, 0600);
    }
    return fd;
}

int OpenFolder::openOwn(const QByteArray& name, int flags) const {
    // Never waits on a pipe put in a file's place.
    const int fd = ::openat(fd_, name.constData(), // NOLINT(*-vararg)
                            flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid() ||
        st.st_nlink != 1) {
        ::close(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

int OpenFolder::openLocked(const QByteArray& name, int flags) const {
    const int fd = openOwn(name, flags);
    if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        errno = err;
        return -1;
    }
    return fd;
}

std::vector<QByteArray>
OpenFolder::names(const std::function<bool(QByteArrayView)>& pattern) const {
    std::vector<QByteArray> found;
    // A description of its own, so that reading it moves no other reader's place.
    const int fd = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC); // NOLINT(*-vararg)
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (dir == nullptr) {
        if (fd >= 0) {
            ::close(fd);
        }
        return found;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != ".." && pattern(name)) {
            found.push_back(name);
        }
    }
    ::closedir(dir);
    return found;
}

bool OpenFolder::remove(const QByteArray& name, int fd) const {
    struct stat held {};
    struct stat named {};
    if (::fstat(fd, &held) != 0 ||
        ::fstatat(fd_, name.constData(), &named, AT_SYMLINK_NOFOLLOW) != 0) {
        return false;
    }
    if (held.st_dev != named.st_dev || held.st_ino != named.st_ino) {
        errno = ENOENT;
        return false;
    }
    return ::unlinkat(fd_, name.constData(), 0) == 0;
}

bool OpenFolder::removeOwn(const QByteArray& name) const {
    const Descriptor fd(openOwn(name, O_RDONLY));
    return fd.get() >= 0 && remove(name, fd.get());
}

bool OpenFolder::rename(const QByteArray& from, const QByteArray& to) const {
    return ::renameat(fd_, from.constData(), fd_, to.constData()) == 0;
}

void OpenFolder::sync() const {
    ::fsync(fd_);
}

void OpenFolder::removeExpired(const std::function<bool(QByteArrayView)>& pattern,
                               const Keep& kept) const {
    const qint64 now = std::time(nullptr);
    for (const QByteArray& name : names(pattern)) {
        const Descriptor fd(openLocked(name, O_RDONLY));
        struct stat st {};
        if (fd.get() >= 0 && ::fstat(fd.get(), &st) == 0 && !kept(st, now)) {
            remove(name, fd.get());
        }
    }
}

bool OpenFolder::keptAside(const struct stat& st, qint64 now) {
    return now - st.st_ctime < kKeptAside.count();
}

bool OpenFolder::setAside(int fd) {
    return ::fchmod(fd, 0400) == 0;
}

bool OpenFolder::isSetAside(const struct stat& st) {
    return (st.st_mode & 0777) == 0400;
}

#else

PrivateFolder PrivateFolder::ofXdg(const char*, const QString& fallback, const QString& sub) {
    return {QDir::homePath() + QLatin1Char('/') + fallback + QLatin1Char('/') + sub,
            QDir::homePath()};
}
PrivateFolder::PrivateFolder(QString path, QString anchor)
    : path_(std::move(path)), anchor_(std::move(anchor)) {}
std::shared_ptr<const OpenFolder> PrivateFolder::open() const {
    InOutError::raiseErrno(EACCES);
}
std::shared_ptr<const OpenFolder> PrivateFolder::openExisting() const noexcept {
    return {};
}

#endif
