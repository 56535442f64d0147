#include "LockedFile.h"

#include "Errors.h"
#include "PrivateFolder.h"

#include <cerrno>
#include <unistd.h>
#include <utility>

LockedFile::LockedFile(std::shared_ptr<const OpenFolder> folder, QByteArray name, int fd)
    : folder_(std::move(folder)), name_(std::move(name)), path_(folder_->pathOf(name_)), fd_(fd) {}

LockedFile::LockedFile(LockedFile&& other) noexcept
    : folder_(std::move(other.folder_)), name_(std::move(other.name_)),
      path_(std::move(other.path_)), fd_(std::exchange(other.fd_, -1)) {}

LockedFile& LockedFile::operator=(LockedFile&& other) noexcept {
    if (this != &other) {
        close();
        folder_ = std::move(other.folder_);
        name_ = std::move(other.name_);
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

void LockedFile::rename(const QByteArray& name) {
    if (!folder_ || !folder_->rename(name_, name)) {
        InOutError::raiseErrno(folder_ ? errno : EBADF);
    }
    name_ = name;
    path_ = folder_->pathOf(name_);
}

void LockedFile::replace(LockedFile& target) {
    rename(target.name_);
    target.close();
}

void LockedFile::remove() {
    if (folder_ && fd_ >= 0) {
        folder_->remove(name_, fd_);
    }
    close();
}
