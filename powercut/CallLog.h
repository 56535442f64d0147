#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// One file-system call as the shim logged it (see shim.cpp for the kinds).
struct Call {
    char kind = 0;
    quint64 ino = 0;
    bool folder = false;  // O: a folder was opened
    bool created = false; // O: the name did not exist before
    qint64 offset = 0;    // W, A: where; R: the new length
    qint64 length = 0;    // A
    int mode = 0;         // A
    QString path;         // O, T, L, U, M, N (from), K (the mark's text)
    QString to;           // N
    QByteArray data;      // W
    // The call as one line for a report, without a write's bytes.
    QString describe() const;
};

// Reads the shim's log; throws std::runtime_error when it cannot be parsed.
std::vector<Call> readCallLog(const QString& fileName);
