#pragma once

#include "Descriptor.h"

#include <QByteArray>
#include <QString>
#include <memory>

class OpenFolder;

// A file of a private folder (PrivateFolder) that this process holds open and locked (flock), so
// that no other editor takes it; the lock goes with the descriptor, when this object closes it or
// the process ends, however it ends. It is renamed and removed through the folder's descriptor.
class LockedFile {
public:
    LockedFile() = default;
    LockedFile(std::shared_ptr<const OpenFolder> folder, QByteArray name, int fd);

    const QString& path() const { return path_; }
    const QByteArray& name() const { return name_; }
    int fd() const { return fd_.get(); }
    bool isOpen() const { return fd_.isOpen(); }
    void close() { fd_.reset(); }

    // Gives the file the name name in its folder. Throws InOutError.
    void rename(const QByteArray& name);
    // Takes the place of target, a file of the same folder, which is released.
    void replace(LockedFile& target);
    // Deletes the file, when it is still the one held, and releases it.
    void remove();

private:
    std::shared_ptr<const OpenFolder> folder_;
    QByteArray name_;
    QString path_;
    Descriptor fd_;
};
