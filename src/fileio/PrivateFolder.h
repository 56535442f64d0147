#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class OpenFolder;

// A folder of the user's own files that nobody else may reach: the recovery records and the
// private copies of in-place saves. It is used only when it is a real folder (not a symbolic
// link), owned by the user and writable by nobody else; then every file in it is reached through
// the folder's descriptor, so that no link swapped in on the way leads elsewhere.
class PrivateFolder {
public:
    // $variable/sub when variable holds an absolute path (its missing folders made from the root
    // down), else home/fallback/sub (made below the home, which must exist).
    static PrivateFolder ofXdg(const char* variable, const QString& fallback, const QString& sub);
    // path, made when missing below anchor, a folder that must exist already.
    PrivateFolder(QString path, QString anchor);

    const QString& path() const { return path_; }

    // Makes each missing folder from the anchor down, readable only by the user (0700) whatever
    // the umask, and opens the folder. Throws InOutError: a missing anchor is "File not found"; a
    // folder that is a symbolic link, another user's, or writable by others is refused with a note
    // that says so, and nothing in it is touched or re-moded.
    std::shared_ptr<const OpenFolder> open() const;
    // The folder when it exists and may be used; null otherwise. Makes nothing.
    std::shared_ptr<const OpenFolder> openExisting() const noexcept;

private:
    QString path_;
    QString anchor_;
};

#ifdef Q_OS_UNIX

// A private folder held open. Names are the system's bytes; each call that fails leaves errno.
class OpenFolder {
public:
    OpenFolder(QString path, int fd) : path_(std::move(path)), fd_(fd) {}
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    const QString& path() const { return path_; }
    int fd() const { return fd_; }
    QString pathOf(QByteArrayView name) const;

    // Makes name, which must not exist yet, readable only by the user. -1 when it cannot be made.
    int create(const QByteArray& name, int flags) const;
    // Opens name when it is one of the user's own files: regular, owned by the user, with no other
    // link, never through a symbolic link. -1 otherwise (errno EPERM for a file of another kind).
    int openOwn(const QByteArray& name, int flags) const;
    // openOwn, locked (flock) without waiting: -1 also when another process holds it.
    int openLocked(const QByteArray& name, int flags) const;
    // The names in the folder that pattern accepts.
    std::vector<QByteArray> names(const std::function<bool(QByteArrayView)>& pattern) const;
    // Removes name when it is still the file open as fd.
    bool remove(const QByteArray& name, int fd) const;
    // Removes name when it is one of the user's own files (openOwn).
    bool removeOwn(const QByteArray& name) const;
    bool rename(const QByteArray& from, const QByteArray& to) const;
    void sync() const;
    // Removes each of the user's files that pattern accepts, that nobody holds locked, and that
    // kept(status) no longer keeps (the time now given as seconds since the epoch).
    using Keep = std::function<bool(const struct stat& status, qint64 now)>;
    void removeExpired(const std::function<bool(QByteArrayView)>& pattern, const Keep& kept) const;

    // How long a file set aside stays: fourteen days from the change of its status, which setting
    // aside (a rename, or the mode made read-only) makes.
    static constexpr std::chrono::seconds kKeptAside = std::chrono::hours(24 * 14);
    // Whether a file set aside at st's status change is still kept at now.
    static bool keptAside(const struct stat& st, qint64 now);
    // Marks the file open as fd as set aside (read-only for the user), from now on.
    static bool setAside(int fd);
    static bool isSetAside(const struct stat& st);

private:
    QString path_;
    int fd_;
};

#endif
