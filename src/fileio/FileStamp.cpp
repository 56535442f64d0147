#include "FileStamp.h"

#include "FileName.h"

#ifdef Q_OS_UNIX
#include <sys/stat.h>

namespace {

FileStamp::Kind kindOf(mode_t mode) {
    if (S_ISREG(mode)) {
        return FileStamp::Kind::Regular;
    }
    if (S_ISDIR(mode)) {
        return FileStamp::Kind::Folder;
    }
    if (S_ISFIFO(mode)) {
        return FileStamp::Kind::Pipe;
    }
    if (S_ISSOCK(mode)) {
        return FileStamp::Kind::Socket;
    }
    return FileStamp::Kind::Device;
}

} // namespace

FileStamp FileStamp::fromStat(const struct stat& st) {
    FileStamp stamp;
    stamp.kind_ = kindOf(st.st_mode);
    stamp.device_ = st.st_dev;
    stamp.inode_ = st.st_ino;
    stamp.size_ = st.st_size;
    stamp.modifiedNs_ = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return stamp;
}

FileStamp FileStamp::of(const QString& path) {
    struct stat st {};
    return ::stat(FileName::encode(path).constData(), &st) == 0 ? fromStat(st) : FileStamp();
}

FileStamp FileStamp::ofDescriptor(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? fromStat(st) : FileStamp();
}

#else // Kinds beyond files and folders are left to the system's own calls.

#include <QFileInfo>

FileStamp FileStamp::of(const QString& path) {
    const QFileInfo info(path);
    FileStamp stamp;
    if (info.exists()) {
        stamp.kind_ = info.isDir() ? Kind::Folder : Kind::Regular;
        stamp.size_ = info.size();
        stamp.modifiedNs_ = info.lastModified().toMSecsSinceEpoch() * 1000000;
    }
    return stamp;
}

FileStamp FileStamp::ofDescriptor(int) {
    return {};
}

#endif

void FileStamp::refuseSpecial(const QString& fileName) const {
    if (kind_ == Kind::Pipe || kind_ == Kind::Socket || kind_ == Kind::Device) {
        throw NotRegularFile(kind_, fileName);
    }
}

namespace {

QString kindName(FileStamp::Kind kind) {
    switch (kind) {
    case FileStamp::Kind::Pipe:
        return QStringLiteral("именованный канал");
    case FileStamp::Kind::Socket:
        return QStringLiteral("сокет");
    default:
        return QStringLiteral("устройство");
    }
}

} // namespace

NotRegularFile::NotRegularFile(FileStamp::Kind kind, const QString& fileName)
    : Error(QStringLiteral("«%1» — не обычный файл, а %2. Zelto открывает и сохраняет только "
                           "обычные файлы.")
                .arg(FileName::display(fileName), kindName(kind))) {}
