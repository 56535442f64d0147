// The quiet session of the benchmark: what an open costs afterwards, while the user only looks,
// and what keys typed right after it cost.
#include "DocumentLayout.h"
#include "Measure.h"
#include "Scenarios.h"

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace {

// Seconds of watching after the open: ZELTO_BENCH_QUIET_SECONDS, 60 by default.
int quietSeconds() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("ZELTO_BENCH_QUIET_SECONDS", &ok);
    return ok && seconds > 0 ? seconds : 60;
}

} // namespace

void Scenarios::quietSession(int runs, const Report& report) {
    QList<double> keys;
    QList<double> longest;
    QList<double> measured;
    for (int i = 0; i < runs; ++i) {
        // Five keys as soon as the first screen is drawn, while a timer due every millisecond
        // records the longest any event waits, over the first three seconds.
        editor_->loadPlainText(QString());
        draw();
        open();
        draw();
        QElapsedTimer gap;
        gap.start();
        double wait = 0;
        QTimer tick;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            wait = std::max(wait, static_cast<double>(gap.nsecsElapsed()) / 1e6);
            gap.restart();
        });
        tick.start(1);
        double typed = 0;
        for (int k = 0; k < 5; ++k) {
            typed += Measure::threadCpu([&] {
                key(Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
                draw();
            });
            gap.restart(); // the key's own time is not an event kept waiting
            Measure::idleCpu(50);
        }
        Measure::idleCpu(3000);
        keys << typed;
        longest << wait;
        measured
            << qobject_cast<DocumentLayout*>(editor_->document()->documentLayout())->settledCount();
    }
    // The processor time of the next minute after an open, the view at the start and the user
    // only looking.
    editor_->loadPlainText(QString());
    draw();
    open();
    draw();
    const double after = Measure::idleCpu(quietSeconds() * 1000);
    const qint64 peak = Measure::peakMemory();
    report({QStringLiteral("quiet-cpu"), {after}, peak});
    report({QStringLiteral("quiet-keys"), keys, peak});
    report({QStringLiteral("quiet-longest-wait"), longest, peak});
    report({QStringLiteral("quiet-measured"), measured, peak});
}
