#pragma once

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QTimer>
#include <algorithm>
#include <functional>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#include <time.h>
#endif

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

// Processor time of this process (user and system) in milliseconds; 0 where unknown.
inline double cpuTime() {
#ifdef Q_OS_UNIX
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
#else
    return 0;
#endif
}

// Processor time in milliseconds that action costs the calling thread: what a key costs the
// window, whatever else the machine runs meanwhile.
inline double threadCpu(const std::function<void()>& action) {
#ifdef Q_OS_UNIX
    const auto now = [] {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
    };
    const double before = now();
    action();
    return now() - before;
#else
    return time(action);
#endif
}

// Processor time in milliseconds that running the event loop for milliseconds costs, with nothing
// to do but what timers and the window ask for.
inline double idleCpu(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    const double before = cpuTime();
    loop.exec();
    return cpuTime() - before;
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
