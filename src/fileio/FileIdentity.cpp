#include "FileIdentity.h"

#include "FileName.h"
#include "PosixFile.h"

#include <QList>

#ifdef Q_OS_UNIX
#include <algorithm>
#include <cerrno>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

bool unsupported(int err) {
    return err == ENOTSUP || err == EOPNOTSUPP || err == ENOSYS;
}

// The names in a list of extended attributes, each ended by a zero byte.
std::vector<QByteArray> attributeNames(const QByteArray& path) {
    std::vector<QByteArray> names;
    ssize_t size = ::listxattr(path.constData(), nullptr, 0);
    if (size <= 0) {
        return names;
    }
    QByteArray list(size, Qt::Uninitialized);
    size = ::listxattr(path.constData(), list.data(), list.size());
    if (size <= 0) {
        return names; // changed in between, or no support: nothing to copy
    }
    for (const QByteArray& name : list.left(size).split('\0')) {
        if (!name.isEmpty()) {
            names.push_back(name);
        }
    }
    return names;
}

std::vector<std::pair<QByteArray, QByteArray>> readAttributes(const QByteArray& path) {
    std::vector<std::pair<QByteArray, QByteArray>> attributes;
    for (const QByteArray& name : attributeNames(path)) {
        const ssize_t size = ::getxattr(path.constData(), name.constData(), nullptr, 0);
        if (size < 0) {
            continue;
        }
        QByteArray value(size, Qt::Uninitialized);
        const ssize_t read = ::getxattr(path.constData(), name.constData(), value.data(), size);
        if (read >= 0) {
            value.truncate(read);
            attributes.emplace_back(name, value);
        }
    }
    return attributes;
}

} // namespace

FileIdentity FileIdentity::of(const QString& path) {
    FileIdentity identity;
    const QByteArray native = FileName::encode(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return identity;
    }
    identity.exists_ = true;
    identity.owner_ = st.st_uid;
    identity.group_ = st.st_gid;
    identity.mode_ = st.st_mode & 07777;
    identity.links_ = st.st_nlink;
    const QByteArray folder = PosixFile::folderOf(native);
    identity.folderWritable_ = ::access(folder.constData(), W_OK | X_OK) == 0;
    identity.attributes_ = readAttributes(native);
    return identity;
}

bool FileIdentity::needsInPlaceWrite() const {
    const uid_t user = ::geteuid();
    return links_ > 1 || !folderWritable_ || (user != 0 && user != owner_);
}

bool FileIdentity::applyTo(int fd) const {
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        return false;
    }
    if ((st.st_uid != owner_ || st.st_gid != group_) && ::fchown(fd, owner_, group_) != 0) {
        return false;
    }
    // After the owner: a change of owner clears the set-user-ID and set-group-ID bits.
    if (::fchmod(fd, mode_) != 0) {
        return false;
    }
    // After the mode: the access ACL holds the group bits of the mode as its mask.
    return std::all_of(attributes_.begin(), attributes_.end(), [fd](const auto& attribute) {
        const auto& [name, value] = attribute;
        return ::fsetxattr(fd, name.constData(), value.constData(), value.size(), 0) == 0 ||
               unsupported(errno);
    });
}

#else // Replacing a file keeps what the system's own rename keeps.

FileIdentity FileIdentity::of(const QString&) {
    return {};
}
bool FileIdentity::needsInPlaceWrite() const {
    return false;
}
bool FileIdentity::applyTo(int) const {
    return true;
}

#endif
