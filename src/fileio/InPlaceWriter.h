#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// Writes an existing file in place, so that it stays the same file: its links, owner and every
// other property remain. The old contents first go whole to a private copy, synced to the disk
// (in backupFolder()); then the file is emptied, written and synced; then the copy is removed. A
// failed write puts the old contents back from the copy. When the process dies half-way, the copy
// stays in backupFolder() under the file's name with a random suffix.
// Every failure throws InOutError with the code of the failing call.
class InPlaceWriter {
public:
    // Opens fileName for writing, copies its contents aside and empties it.
    explicit InPlaceWriter(const QString& fileName);
    // Puts the old contents back unless commit() succeeded.
    ~InPlaceWriter();
    InPlaceWriter(const InPlaceWriter&) = delete;
    InPlaceWriter& operator=(const InPlaceWriter&) = delete;

    void write(QByteArrayView bytes);
    // Syncs the written file to the disk and removes the copy of the old contents.
    void commit();

    // $XDG_CACHE_HOME/zelto, or ~/.cache/zelto when that is not set.
    static QString backupFolder();

private:
    // Copies the file's contents to a new file in backupFolder(), synced. Throws InOutError.
    void makeBackup(const QByteArray& fileName);
    // Writes the copy back over the file and removes it when that worked; keeps it otherwise.
    void restore() noexcept;
    void close() noexcept;

    int fd_ = -1;
    QByteArray backup_; // the copy's path; empty once it is removed
    bool done_ = false; // committed or restored
};
