#include "FileSnapshot.h"

#include "Crc32.h"
#include "FileName.h"
#include "RecordEntries.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

FileSnapshot::FileSnapshot(QString path, std::optional<FileStamp> stamp, bool copy, qsizetype chunk)
    : path_(std::move(path)), stamp_(stamp), copy_(copy), chunk_(chunk) {}

void FileSnapshot::stop() {
    fd_.reset();
    done_ = true;
}

bool FileSnapshot::open() {
    opened_ = true;
    const QByteArray name = FileName::encode(path_);
    // Non-blocking: a pipe put in the file's place must not hold the thread.
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg)
    fd_.reset(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd_.isOpen()) {
        return false;
    }
    const FileStamp now = FileStamp::ofDescriptor(fd_.get());
    return now.isRegular() && (!stamp_ || now == *stamp_);
}

bool FileSnapshot::step(QByteArray& out) {
    if (done_) {
        return false;
    }
    if (!opened_ && !open()) {
        stop();
        return false;
    }
    QByteArray chunk(chunk_, Qt::Uninitialized);
    ssize_t n = 0;
    do {
        n = ::read(fd_.get(), chunk.data(), static_cast<size_t>(chunk.size()));
    } while (n < 0 && errno == EINTR);
    if (n < 0) {
        stop();
        return false;
    }
    if (n == 0) {
        finish(out);
        return false;
    }
    const QByteArrayView bytes(chunk.constData(), n);
    crc_ = crc32(bytes, crc_);
    if (copy_) {
        QByteArray payload;
        ByteWriter w(payload);
        w.i64(size_);
        w.bytes(bytes);
        appendEntry(out, Record::EntryType::BaseBytes, payload);
    }
    size_ += n;
    return true;
}

void FileSnapshot::finish(QByteArray& out) {
    // Read through the one descriptor: a file put in its place by rename leaves these bytes whole,
    // and a write into it in the meantime changes the stamp.
    const FileStamp now = FileStamp::ofDescriptor(fd_.get());
    stop();
    if (stamp_ && now != *stamp_) {
        return;
    }
    sum_ = std::pair{crc_, size_};
    if (stamp_) {
        appendEntry(out, Record::EntryType::FileSum, RecordFileSum{now, crc_, size_}.encode());
    }
}
