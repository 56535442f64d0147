#pragma once

#include "CallLog.h"

#include <QByteArray>
#include <QString>
#include <map>
#include <optional>
#include <vector>

// What a folder holds after a power cut: each path below the root, relative, with a file's bytes
// (nullopt for a folder).
using Tree = std::map<QString, std::optional<QByteArray>>;

// The disk as a program's calls leave it, under the POSIX model of persistence:
// - what fsync or fdatasync made durable stays;
// - a write that was not synced may be lost, wholly or as a prefix, and such writes to different
//   blocks (4096 bytes) reach the disk in any order, those to the same block in their own order;
//   a truncation not synced may be lost;
// - a name created, renamed, linked or removed is durable only once its folder was synced; until
//   then it may hold any value it had since that sync (each name on its own).
// A crash state is one choice in each of dimensions(); choice 0 of each is what the last syncs
// left, current() the choices that give the state as the program sees it.
class DiskModel {
public:
    // Takes what is on the disk below root now as durable.
    explicit DiskModel(const QString& root);

    void apply(const Call& call);
    // How many choices each open question of the disk's state has.
    std::vector<int> dimensions() const;
    // The choice in each dimension that gives the state as the program sees it.
    std::vector<int> current() const;
    Tree state(const std::vector<int>& choice) const;

private:
    struct Op {
        // A write; a truncation to offset; a fallocate that grows the file to offset + length;
        // a hole punched from offset, length bytes, within the file.
        enum Kind { Write, Truncate, Grow, Punch } kind = Write;
        qint64 offset = 0;
        qint64 length = 0;
        QByteArray data;
        // What the op does to content, when it reaches the disk (a write: all of it).
        void apply(QByteArray& content) const;
    };
    struct Inode {
        bool folder = false;
        QByteArray durable;
        std::vector<Op> pending;
        // folder: each name's values since the folder's last sync, the durable one first (0: no
        // such name)
        std::map<QString, std::vector<quint64>> names;
    };
    // A stretch of a pending write within one block.
    struct Piece {
        size_t op;
        qint64 offset;
        qsizetype from, size; // within the op's data
    };
    struct Blocks {
        quint64 ino;
        std::vector<std::vector<Piece>> blocks; // each block's pieces in order
        std::vector<size_t> sizes;              // indexes of the pending ops other than writes
    };

    // An open question of the state: how many choices, and the one the program sees.
    struct Question {
        int choices;
        int current;
    };
    std::vector<Question> questions() const;
    void snapshot(const QString& folder, quint64 ino);
    void setName(const QString& path, quint64 ino);
    quint64 nameOf(const QString& path) const;
    std::vector<Blocks> pendingBlocks() const;
    static std::vector<quint64> distinct(const std::vector<quint64>& values);
    void build(Tree& tree, const QString& prefix, quint64 folder,
               const std::map<quint64, std::map<QString, quint64>>& names,
               const std::map<quint64, QByteArray>& contents) const;

    QString root_;
    quint64 rootIno_ = 0;
    std::map<quint64, Inode> inodes_;
    std::map<QString, quint64> folders_; // folder path -> inode, as the program sees them
};
