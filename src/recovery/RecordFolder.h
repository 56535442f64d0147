#pragma once

#include "LockedFile.h"
#include "PrivateFolder.h"

#include <QString>
#include <vector>

// The private folder of recovery records: $XDG_STATE_HOME/zelto/recovery, or
// ~/.local/state/zelto/recovery. A record is named <creation time>-<random>.zrec and is locked by
// the process that writes it for as long as that process lives: a record that can be locked
// belongs to an editor that is gone. Only the user's own files with a record's name are touched.
class RecordFolder {
public:
    // The folder under the user's state folder.
    static RecordFolder standard();
    // path, made (when missing) below anchor, a folder that must exist already.
    RecordFolder(QString path, QString anchor);
    explicit RecordFolder(PrivateFolder folder);

    const QString& path() const { return folder_.path(); }
    // Makes the folder and its missing parents up to the anchor, readable only by the user (0700).
    // Throws InOutError; a missing anchor (a home that does not exist) is "File not found", and a
    // folder that may not be used (PrivateFolder) says why.
    void make() const;
    // A new record, empty, readable only by the user and locked. Throws InOutError.
    LockedFile create() const;
    // The records whose writer is gone, each now locked by this process and marked as offered,
    // oldest name first. Deletes what a writer that died while making a record left under a
    // temporary name, and the records put aside or offered longer ago than they are kept.
    std::vector<LockedFile> claimOrphans() const;
    // Renames a claimed record to a name that no scan takes again; returns that name. Throws
    // InOutError.
    static QString putAside(LockedFile& record);
    // Deletes a claimed record and releases it.
    static void remove(LockedFile& record);

private:
    PrivateFolder folder_;
};
