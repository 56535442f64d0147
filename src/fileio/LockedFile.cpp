#include "LockedFile.h"

#include "Errors.h"
#include "PrivateFolder.h"

#include <cerrno>
#include <utility>

LockedFile::LockedFile(std::shared_ptr<const OpenFolder> folder, QByteArray name, int fd)
    : folder_(std::move(folder)), name_(std::move(name)), path_(folder_->pathOf(name_)), fd_(fd) {}

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
    if (folder_ && fd_.isOpen()) {
        folder_->remove(name_, fd_.get());
    }
    close();
}
