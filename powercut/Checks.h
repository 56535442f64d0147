#pragma once

#include "DiskModel.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

// What a save must leave, whatever the moment the power went.
struct SaveRules {
    QString target;                              // relative to the root
    std::vector<std::optional<QByteArray>> olds; // what the file may still hold (nullopt: none)
    std::optional<QByteArray> precious;          // old bytes that must never be lost
    QByteArray fresh;                            // what the save writes
    std::vector<QString> sameFile;               // the target's other names, which follow it
};

// Whether every file below prefix in before is in state with the same bytes, and nothing else is
// there but what exempt allows: empty, or what changed.
QString unchangedBelow(const QString& prefix, const Tree& before, const Tree& state,
                       const std::function<bool(const QString& path)>& exempt);

// Checks a crash state of a save, materialised below root (and given as state): the file holds
// the old bytes or the new ones, whole, or a private copy of the old ones is offered back, and
// restores them; nothing else below root/home changed; once the save returned, it offers none of
// its own copies back as unfinished. Returns why the state breaks a rule, or an empty string.
QString checkSave(const SaveRules& rules, const Tree& before, const Tree& state,
                  const QString& root, bool saved);

// The text file a recorded document was opened from: its path and its bytes then.
struct OpenedFile {
    QString path;
    QByteArray bytes;
};

// Checks a crash state of a recovery record below root, replayed as the start's offer does (on
// the file opened, if any): every record replays to the document as it was at one of its commits
// (the texts in expected, by sequence), or, only while it holds no whole copy of the file opened
// and the file no longer has its bytes, says it cannot be restored now and is kept; unless the
// record's end was begun, one replays to (or keeps) the commit durable or a later one. Returns why
// not, or empty.
QString checkRecord(const QString& root, const std::vector<QString>& expected, quint64 durable,
                    bool ending, const std::optional<OpenedFile>& opened = std::nullopt);
