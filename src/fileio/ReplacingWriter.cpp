#include "ReplacingWriter.h"

#include "Errors.h"
#include "FileName.h"
#include "PosixFile.h"

#ifdef Q_OS_UNIX
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t kNewFileMode = 0666; // less the user's umask, as for any new file
constexpr int kNameTries = 100;
constexpr char kSelf[] = "/proc/self/fd";

// A random suffix of six letters and digits, as mkstemp makes them.
QByteArray randomSuffix() {
    static constexpr char kLetters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray suffix(6, Qt::Uninitialized);
    for (char& c : suffix) {
        c = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    }
    return suffix;
}

} // namespace

ReplacingWriter::ReplacingWriter(const QString& fileName)
    : target_(FileName::encode(fileName)), folder_(PosixFile::folderOf(target_)) {
    // An unnamed file is named through /proc at the commit.
    if (::access(kSelf, F_OK) == 0) {
        fd_ = PosixFile::open(folder_, O_TMPFILE | O_WRONLY, kNewFileMode);
        if (fd_ >= 0) {
            return;
        }
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
            InOutError::raiseErrno(errno, fileName);
        }
    }
    // Without unnamed files: a temporary name from the start.
    for (int i = 0; fd_ < 0 && i < kNameTries; ++i) {
        named_ = temporaryName();
        fd_ = PosixFile::open(named_, O_WRONLY | O_CREAT | O_EXCL, kNewFileMode);
        if (fd_ < 0 && errno != EEXIST) {
            const int err = errno;
            named_.clear();
            InOutError::raiseErrno(err, fileName);
        }
    }
    if (fd_ < 0) {
        named_.clear();
        InOutError::raiseErrno(EEXIST);
    }
}

ReplacingWriter::~ReplacingWriter() {
    if (!named_.isEmpty()) {
        ::unlink(named_.constData());
    }
    if (fd_ >= 0) {
        ::close(fd_); // an unnamed file goes with its last descriptor
    }
}

int ReplacingWriter::handle() const {
    return fd_;
}

QByteArray ReplacingWriter::temporaryName() const {
    const QByteArray name = target_.mid(folder_.size() + (folder_ == "/" ? 0 : 1));
    // "." + name + "." + six characters
    const qsizetype room = FileName::maxLength(folder_) - 8;
    return folder_ + "/." + FileName::cut(name, room) + '.' + randomSuffix();
}

void ReplacingWriter::write(QByteArrayView bytes) {
    if (!PosixFile::writeAll(fd_, bytes.data(), bytes.size())) {
        InOutError::raiseWriteErrno(errno);
    }
}

bool ReplacingWriter::link(const QByteArray& path) const {
    const QByteArray self = kSelf + ('/' + QByteArray::number(fd_));
    return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, path.constData(), AT_SYMLINK_FOLLOW) == 0;
}

FileStamp ReplacingWriter::commit() {
    // Before the old file goes: a file whose bytes never reach the disk must not replace it.
    // EINVAL: a file that cannot be flushed.
    if (::fdatasync(fd_) != 0 && errno != EINVAL) {
        InOutError::raiseErrno(errno);
    }
    for (int i = 0; named_.isEmpty(); ++i) {
        const QByteArray name = temporaryName();
        if (link(name)) {
            named_ = name;
        } else if (errno != EEXIST || i == kNameTries) {
            InOutError::raiseErrno(errno);
        }
    }
    if (::rename(named_.constData(), target_.constData()) != 0) {
        InOutError::raiseErrno(errno);
    }
    named_.clear();
    PosixFile::syncFolder(folder_); // the rename is done
    return FileStamp::ofDescriptor(fd_);
}

#else // The system's own replacing save.

#include <QSaveFile>

ReplacingWriter::ReplacingWriter(const QString& fileName)
    : file_(std::make_unique<QSaveFile>(fileName)) {
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        InOutError::raiseErrno(EACCES, fileName);
    }
}

ReplacingWriter::~ReplacingWriter() = default;

int ReplacingWriter::handle() const {
    return static_cast<int>(file_->handle());
}

void ReplacingWriter::write(QByteArrayView bytes) {
    if (file_->write(bytes.data(), bytes.size()) != bytes.size()) {
        InOutError::raiseWriteErrno(0);
    }
}

FileStamp ReplacingWriter::commit() {
    const QString name = file_->fileName();
    if (!file_->commit()) {
        InOutError::raiseErrno(EIO);
    }
    return FileStamp::of(name);
}

#endif
