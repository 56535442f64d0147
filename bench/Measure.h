#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QList>
#include <algorithm>
#include <functional>

// Timing and memory of the running process.
namespace Measure {

// Median of the times in milliseconds.
inline double median(QList<double> times) {
    if (times.isEmpty()) {
        return 0;
    }
    std::sort(times.begin(), times.end());
    const qsizetype n = times.size();
    return n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

// Milliseconds that action takes.
inline double time(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

// Peak resident memory of this process so far, in bytes (VmHWM); 0 where unknown.
inline qint64 peakMemory() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:")) {
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
        }
    }
    return 0;
}

} // namespace Measure
