#pragma once

#include <QString>
#include <vector>

// A file this process holds open and locked (flock), so that no other editor takes it; the lock
// goes with the descriptor, when this object closes it or the process ends, however it ends.
class LockedFile {
public:
    LockedFile() = default;
    LockedFile(QString path, int fd) : path_(std::move(path)), fd_(fd) {}
    LockedFile(LockedFile&& other) noexcept;
    LockedFile& operator=(LockedFile&& other) noexcept;
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    ~LockedFile();

    const QString& path() const { return path_; }
    void setPath(const QString& path) { path_ = path; }
    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    void close();

private:
    QString path_;
    int fd_ = -1;
};

// The private folder of recovery records: $XDG_STATE_HOME/zelto/recovery, or
// ~/.local/state/zelto/recovery. A record is named <creation time>-<random>.zrec and is locked by
// the process that writes it for as long as that process lives: a record that can be locked
// belongs to an editor that is gone.
class RecordFolder {
public:
    // The folder under the user's state folder.
    static RecordFolder standard();
    // path, made (when missing) below anchor, a folder that must exist already.
    RecordFolder(QString path, QString anchor);

    const QString& path() const { return path_; }
    // Makes the folder and its missing parents up to the anchor, readable only by the user (0700).
    // Throws InOutError; a missing anchor (a home that does not exist) is "File not found".
    void make() const;
    // A new record, empty, readable only by the user and locked. Throws InOutError.
    LockedFile create() const;
    // The records whose writer is gone, each now locked by this process, oldest name first.
    // Deletes what a writer that died while making a record left under a temporary name.
    std::vector<LockedFile> claimOrphans() const;
    // Renames a claimed record to a name that no scan takes again; returns that name. Throws
    // InOutError.
    static QString putAside(LockedFile& record);
    // Deletes a claimed record and releases it.
    static void remove(LockedFile& record);

private:
    QString path_;
    QString anchor_;
};
