#pragma once

#include "CallLog.h"
#include "DiskModel.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <vector>

// How many crash states to build at each point of the calls.
struct Sampling {
    int perCut = 200;   // all of them when there are no more, else this many drawn
    quint32 seed = 31;  // the draw's seed: the same states every run
    bool brief = false; // only the first few violations in full, the rest a line each
};

// What the checks know at a cut: the marks the program set before it.
struct CutContext {
    quint64 durable = 0; // the last commit the program reported durable
    bool ending = false; // the program began to remove its record
    bool saved = false;  // the save returned: the user was told it is done
};

// One operation explored: its calls are replayed into a DiskModel, and at each point the crash
// states are built below the root and checked.
class Explorer {
public:
    using Check = std::function<QString(const Tree& state, const CutContext& context)>;

    Explorer(QString root, Sampling sampling) : root_(std::move(root)), sampling_(sampling) {}

    // Explores calls from model (taken before the calls were made, when the root held start);
    // prints each violation and puts start back. Returns the states checked and the violations.
    std::pair<int, int> explore(const QString& operation, DiskModel model, const Tree& start,
                                const std::vector<Call>& calls, const Check& check);
    // Puts tree in place of what is below the root.
    void materialise(const Tree& tree) const;
    // What is below the root now.
    Tree read() const;
    // Names a file's bytes in reports ("the old bytes").
    void label(const QByteArray& bytes, const QString& name) { labels_[bytes] = name; }

private:
    std::vector<std::vector<int>> choices(const DiskModel& model, int cut) const;
    void report(const QString& operation, const std::vector<Call>& calls, size_t cut,
                const Tree& state, const QString& reason) const;
    QString describe(const QByteArray& bytes) const;

    QString root_;
    Sampling sampling_;
    std::map<QByteArray, QString> labels_;
};

// Runs program with args under the recording shim; the calls below root are logged to log.
// Returns the program's exit code.
int runRecorded(const QString& program, const QStringList& args, const QString& root,
                const QString& log, const QStringList& environment);
