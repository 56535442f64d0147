// Explores the states a power cut can leave on the disk during a save or while a recovery record
// is written, and checks each with the program's own code. Prints one line per operation,
// "OPERATION: N states, V violations", then "powercut: N states, V violations"; exits 0 only when
// there is no violation.
//   powercut [--sample] [--brief] [--nosync] [--expect-violations] [--per-cut N] [--seed N]
//            [OPERATION...]
// --sample draws few states per point (the test suite's run); --nosync runs the program with
// fsync and fdatasync doing nothing, which the exploration must catch; --expect-violations exits
// 0 only when there are some (with --nosync, to show that the exploration sees lost syncs);
// --brief prints the first three violations of an operation in full, the others a line each.
#include "Operations.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Sampling sampling;
    Options options;
    QStringList only;
    bool expectViolations = false;
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--sample") {
            sampling.perCut = 12;
        } else if (args[i] == "--brief") {
            sampling.brief = true;
        } else if (args[i] == "--expect-violations") {
            expectViolations = true;
        } else if (args[i] == "--nosync") {
            options.noSync = true;
        } else if (args[i] == "--per-cut" && i + 1 < args.size()) {
            sampling.perCut = args[++i].toInt();
        } else if (args[i] == "--seed" && i + 1 < args.size()) {
            sampling.seed = args[++i].toUInt();
        } else if (args[i].startsWith("--")) {
            std::fprintf(stderr, "usage: powercut [--sample] [--brief] [--nosync] "
                                 "[--expect-violations] [--per-cut N] [--seed N] [OPERATION...]\n");
            return 2;
        } else {
            only << args[i];
        }
    }
    // Below /tmp, whose path has no symbolic link: the program's calls name the same paths.
    QTemporaryDir scratch(QStringLiteral("/tmp/powercut-XXXXXX"));
    if (!scratch.isValid()) {
        std::fprintf(stderr, "powercut: cannot make a scratch folder\n");
        return 2;
    }
    options.scratch = scratch.path();
    int states = 0;
    int violations = 0;
    for (const Operation& operation : operations()) {
        if (!only.isEmpty() && !only.contains(operation.name)) {
            continue;
        }
        const auto [n, v] = operation.run(options, sampling);
        std::printf("%s: %d states, %d violations\n", qPrintable(operation.name), n, v);
        std::fflush(stdout);
        states += n;
        violations += v;
    }
    std::printf("powercut: %d states, %d violations\n", states, violations);
    if (states == 0) {
        return 1;
    }
    return (violations > 0) == expectViolations ? 0 : 1;
}
