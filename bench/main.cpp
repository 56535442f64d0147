// zelto_bench: the editor's benchmark scenarios, headless.
//
//   zelto_bench generate FILE MEGABYTES     writes a generated Windows-1251 document
//   zelto_bench session NAME FILE WORKDIR [RUNS]
//                                           runs one session of scenarios (RUNS times each, 5 by
//                                           default) and prints one RESULT line per scenario
//   zelto_bench list                        names the sessions
//
// RESULT lines: scenario, file size in bytes, median milliseconds, peak resident memory of the
// process in bytes after the scenario, the median of the in-program reference (or -), then every
// run's time.

#include "Corpus.h"
#include "Errors.h"
#include "Measure.h"
#include "Scenarios.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>
#include <exception>

namespace {

int usage() {
    QTextStream(stderr) << "usage: zelto_bench generate FILE MEGABYTES\n"
                           "       zelto_bench session NAME FILE WORKDIR [RUNS]\n"
                           "       zelto_bench list\n";
    return 2;
}

int generate(const QString& file, double megabytes) {
    const QByteArray bytes = Corpus::generate(static_cast<qsizetype>(megabytes * 1024 * 1024));
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(bytes) != bytes.size()) {
        QTextStream(stderr) << "cannot write " << file << "\n";
        return 1;
    }
    return 0;
}

QString joined(const QList<double>& times) {
    QStringList parts;
    for (const double t : times) {
        parts << QString::number(t, 'f', 3);
    }
    return parts.join(QLatin1Char(','));
}

int session(const QString& name, const QString& file, const QString& workDir, int runs) {
    Scenarios scenarios(file, workDir);
    QList<Scenarios::Result> results;
    scenarios.runSession(name, runs, [&](const Scenarios::Result& r) { results << r; });
    // The reference runs after the session, so that its memory stays out of the session's peak.
    const QList<double> search =
        name == QLatin1String("edit") ? scenarios.searchReference(runs) : QList<double>();
    const qint64 size = QFileInfo(file).size();
    QTextStream out(stdout);
    for (const Scenarios::Result& r : std::as_const(results)) {
        const bool find = r.scenario.startsWith(QLatin1String("find-"));
        out << "RESULT " << r.scenario << ' ' << size << ' '
            << QString::number(Measure::median(r.times), 'f', 3) << ' ' << r.peakMemory << ' '
            << (find ? QString::number(Measure::median(search), 'f', 3) : QStringLiteral("-"))
            << ' ' << joined(r.times) << '\n';
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    try {
        if (args.size() == 3 && args[0] == QLatin1String("generate")) {
            return generate(args[1], args[2].toDouble());
        }
        if (args.size() == 1 && args[0] == QLatin1String("list")) {
            QTextStream(stdout) << Scenarios::sessions().join(QLatin1Char('\n')) << '\n';
            return 0;
        }
        if ((args.size() == 4 || args.size() == 5) && args[0] == QLatin1String("session")) {
            const int runs = args.size() == 5 ? args[4].toInt() : 5;
            return session(args[1], args[2], args[3], std::max(1, runs));
        }
    } catch (const Error& e) {
        QTextStream(stderr) << "zelto_bench: " << e.message() << '\n';
        return 1;
    } catch (const std::exception& e) {
        QTextStream(stderr) << "zelto_bench: " << e.what() << '\n';
        return 1;
    }
    return usage();
}
