#pragma once

#include <QTest>
#include <QtGlobal>

// A check on elapsed time runs only in the perf level (ZELTO_PERF set, the suite's timed functions
// run alone after the others): on a machine busy with other work it would fail for no fault of
// ours. Elsewhere the function skips itself. Put first in a timed test function.
#define ZELTO_PERF_ONLY()                                                                          \
    do {                                                                                           \
        if (!qEnvironmentVariableIsSet("ZELTO_PERF")) {                                            \
            QSKIP("timed: runs in the perf level");                                                \
        }                                                                                          \
    } while (false)
