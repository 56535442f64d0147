#pragma once

#include <QByteArray>
#include <QString>
#include <sys/types.h>
#include <utility>
#include <vector>

// What makes an existing file the file it is, beyond its bytes: its owner, group, mode and
// extended attributes (POSIX ACLs among them), and the links and folder that decide whether a new
// file put in its place would still be the same file.
class FileIdentity {
public:
    // The identity of the file at path, symbolic links followed; exists() is false when there is
    // no such file.
    static FileIdentity of(const QString& path);

    bool exists() const { return exists_; }
    // True when a new file renamed over this one would change what it is: another name links to
    // it, its folder takes no new file, or this user may not give a new file its owner.
    bool needsInPlaceWrite() const;
    // Gives the open file fd this file's owner, group, mode and extended attributes. False when
    // the system refuses one of them; the caller then writes the old file in place instead.
    bool applyTo(int fd) const;

private:
    bool exists_ = false;
    uid_t owner_ = 0;
    gid_t group_ = 0;
    mode_t mode_ = 0;
    nlink_t links_ = 0;
    bool folderWritable_ = false;
    std::vector<std::pair<QByteArray, QByteArray>> attributes_; // name, value
};
