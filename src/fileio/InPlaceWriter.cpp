#include "InPlaceWriter.h"

#include "Crc32.h"
#include "Errors.h"
#include "FileName.h"
#include "PosixFile.h"
#include "PrivateCopy.h"

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Copies everything from the start of from to the start of to; false with errno set on failure.
bool copyAll(int from, int to) {
    return ::lseek(from, 0, SEEK_SET) == 0 && ::lseek(to, 0, SEEK_SET) == 0 &&
           PosixFile::copy(from, to);
}

bool unsupported(int err) {
    return err == EOPNOTSUPP || err == ENOSYS || err == EINVAL;
}

} // namespace

InPlaceWriter::InPlaceWriter(const QString& fileName, Progress& progress, qint64 units)
    : fileName_(fileName) {
    const QByteArray native = FileName::encode(fileName);
    // Never waits: a pipe put in the file's place is refused below.
    fd_ = PosixFile::open(native, O_RDWR | O_NONBLOCK);
    if (fd_ < 0) {
        InOutError::raiseErrno(errno, fileName);
    }
    try {
        const FileStamp stamp = FileStamp::ofDescriptor(fd_);
        stamp.refuseSpecial(fileName);
        oldSize_ = stamp.size();
        struct stat st {};
        if (::fstat(fd_, &st) == 0) {
            oldTimes_[0] = st.st_atim;
            oldTimes_[1] = st.st_mtim;
        }
        reserved_ = oldSize_;
        progress.begin(oldSize_ + units);
        copy_ = std::make_unique<PrivateCopy>(native, fd_, progress);
        if (::lseek(fd_, 0, SEEK_SET) != 0) {
            InOutError::raiseErrno(errno);
        }
    } catch (...) {
        done_ = true;
        if (copy_) {
            copy_->remove();
        }
        close();
        throw;
    }
}

InPlaceWriter::~InPlaceWriter() {
    if (!done_) {
        restore();
    }
    close();
}

void InPlaceWriter::reserve(qint64 bytes) {
    if (bytes <= reserved_ || !canReserve_) {
        return;
    }
#ifdef FALLOC_FL_KEEP_SIZE
    // Past the old end only: the blocks before it are the file's already.
    if (::fallocate(fd_, FALLOC_FL_KEEP_SIZE, reserved_, bytes - reserved_) != 0) {
        if (!unsupported(errno)) {
            fail(errno);
        }
        canReserve_ = false;
        return;
    }
    reserved_ = bytes;
#else
    canReserve_ = false;
#endif
}

void InPlaceWriter::write(QByteArrayView bytes) {
    // The last piece is held back until the commit, so that the file cannot hold its new
    // contents whole before the record says what they are.
    writeHeld();
    held_ = bytes.toByteArray();
    writtenCrc_ = crc32(bytes, writtenCrc_);
}

void InPlaceWriter::writeHeld() {
    reserve(written_ + held_.size());
    touched_ = true;
    if (!PosixFile::writeAll(fd_, held_.constData(), held_.size())) {
        fail(errno);
    }
    written_ += held_.size();
    held_.clear();
}

FileStamp InPlaceWriter::commit() {
    // Noted first, for a process that stops from here on: a file found holding these bytes is
    // whole, and on the disk once the sync returns.
    copy_->markFinished(written_ + held_.size(), writtenCrc_);
    writeHeld();
    // Cut to the new length last: until now every old byte had its place on the disk.
    if (::ftruncate(fd_, written_) != 0) {
        fail(errno);
    }
    release(written_);
    if (!PosixFile::sync(fd_)) {
        fail(errno);
    }
    done_ = true;
    copy_->remove();
    copy_.reset();
    return FileStamp::ofDescriptor(fd_);
}

void InPlaceWriter::abandon() {
    if (!done_ && !restore()) {
        throw InOutError(InOutError::codeFromErrno(restoreError_ != 0 ? restoreError_ : EIO),
                         keptNote());
    }
}

void InPlaceWriter::fail(int err) {
    const bool back = restore();
    throw InOutError(err == 0 ? IoCode::DiskFull : InOutError::codeFromErrno(err),
                     back ? QString() : keptNote());
}

bool InPlaceWriter::restore() noexcept {
    done_ = true;
    bool ok = true;
    if (touched_) {
        // The old bytes go back where they were, over blocks the file still holds.
        ok = copyAll(copy_->handle(), fd_) && ::ftruncate(fd_, oldSize_) == 0;
    }
    restoreError_ = ok ? 0 : errno;
    release(oldSize_);
    if (ok && touched_) {
        ok = PosixFile::sync(fd_);
        restoreError_ = ok ? 0 : errno;
    }
    if (ok) {
        // The file is as it was, its time of change too: nothing tells it was written.
        ::futimens(fd_, oldTimes_);
        copy_->remove();
        copy_.reset();
    }
    return ok;
}

void InPlaceWriter::release(qint64 end) noexcept {
#ifdef FALLOC_FL_PUNCH_HOLE
    if (reserved_ > end) {
        ::fallocate(fd_, FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, end, reserved_ - end);
    }
#endif
    reserved_ = end;
}

QString InPlaceWriter::keptNote() const {
    return QStringLiteral("Прежнее содержимое файла «%1» не удалось вернуть на место; оно "
                          "сохранено в копии:\n%2\nZelto предложит восстановить файл из неё при "
                          "следующем запуске.")
        .arg(FileName::display(FileName::shortName(fileName_)),
             FileName::display(FileName::decode(copy_->path())));
}

void InPlaceWriter::close() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

#else // FileIdentity never asks for a write in place here.

InPlaceWriter::InPlaceWriter(const QString&, Progress&, qint64) {
    InOutError::raiseErrno(EACCES);
}
InPlaceWriter::~InPlaceWriter() = default;
void InPlaceWriter::reserve(qint64) {}
void InPlaceWriter::write(QByteArrayView) {}
FileStamp InPlaceWriter::commit() {
    return {};
}
void InPlaceWriter::abandon() {}

#endif
