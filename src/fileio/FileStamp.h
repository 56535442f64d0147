#pragma once

#include "Errors.h"

#include <QString>
#include <QtGlobal>

struct stat;

// What a file is at one moment: its kind and, for a file that exists, the device and inode that
// name it, its size and its modification time. Another program that writes the file, or puts
// another file in its place, changes the stamp.
class FileStamp {
public:
    enum class Kind { Missing, Regular, Folder, Pipe, Socket, Device };

    // The file at path, symbolic links followed.
    static FileStamp of(const QString& path);
    // The open file fd.
    static FileStamp ofDescriptor(int fd);

    Kind kind() const { return kind_; }
    bool exists() const { return kind_ != Kind::Missing; }
    bool isRegular() const { return kind_ == Kind::Regular; }
    qint64 size() const { return size_; }

    // What the stamp holds, to keep it in a file and read it back.
    struct Fields {
        Kind kind;
        quint64 device;
        quint64 inode;
        qint64 size;
        qint64 modifiedNs;
    };
    Fields fields() const { return {kind_, device_, inode_, size_, modifiedNs_}; }
    static FileStamp fromFields(const Fields& f) {
        FileStamp s;
        s.kind_ = f.kind;
        s.device_ = f.device;
        s.inode_ = f.inode;
        s.size_ = f.size;
        s.modifiedNs_ = f.modifiedNs;
        return s;
    }

    // Same kind, file, size and modification time.
    bool operator==(const FileStamp& other) const = default;

    // Throws NotRegularFile for a pipe, socket or device: the program reads and writes regular
    // files only (a missing file or a folder is left to the call that meets it).
    void refuseSpecial(const QString& fileName) const;

private:
    static FileStamp fromStat(const struct stat& st);

    Kind kind_ = Kind::Missing;
    quint64 device_ = 0;
    quint64 inode_ = 0;
    qint64 size_ = 0;
    qint64 modifiedNs_ = 0;
};

// A file that is a pipe, socket or device where a document's file was expected.
class NotRegularFile : public Error {
public:
    NotRegularFile(FileStamp::Kind kind, const QString& fileName);
};
