// The recovery session of the benchmark: what the record costs a key and writes per key, the first
// key after an open and the keys while the record copies the opened file, how soon that copy is
// durable and what it takes on disk, how soon after the last key the record is durable, and how
// long a restore takes beside an open.
#include "EditorRecorder.h"
#include "Measure.h"
#include "RecoveryOffer.h"
#include "Scenarios.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <stdexcept>
#include <sys/stat.h>

namespace {

// Leaves a copy of the record as a killed editor would, for the offer to find.
void leaveCopy(const Recorder& recorder, const QString& name) {
    const QString copy = recorder.folder().path() + QLatin1Char('/') + name;
    QFile::remove(copy);
    if (!QFile::copy(recorder.recordPath(), copy)) {
        throw std::runtime_error("cannot copy the record");
    }
}

// The bytes path takes on its disk.
qint64 diskBytes(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? qint64{st.st_blocks} * 512 : 0;
}

// Runs the event loop for ms milliseconds, as between a person's keys.
void idle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

void Scenarios::recoverySession(int runs, const Report& report) {
    const auto typeAtEnd = [this] {
        editor_->setSelStart(Position(editor_->textLength()));
        key(Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        draw();
    };
    const QString state = workDir_ + QStringLiteral("/state");
    QDir(state).removeRecursively();
    const RecordFolder folder(state + QStringLiteral("/zelto/recovery"), workDir_);
    // Keys 50 ms apart, as a quick typist's, without a recorder and with one, in turns: the
    // processor time each costs the window's thread (wall time on a shared machine varies more
    // than the recorder costs); then the catch-up after one key, from its start until it is
    // durable.
    QList<double> off;
    QList<double> on;
    QList<double> catchUp;
    open();
    for (int turn = 0; turn < 3; ++turn) {
        for (int i = 0; i < runs; ++i) {
            off << Measure::threadCpu(typeAtEnd);
            idle(50);
        }
        EditorRecorder recorder(*editor_, *document_, prompts_, folder);
        recorder.flushNow(); // the record starts (here with the whole document)
        for (int i = 0; i < runs; ++i) {
            on << Measure::threadCpu(typeAtEnd);
            idle(50);
        }
        catchUp << Measure::time([&] { recorder.flushNow(); });
    }
    // The first key after an open, without a recorder: the reference for the one with it.
    open();
    const double firstKeyOff = Measure::time(typeAtEnd);
    editor_->loadPlainText(QString());
    draw();

    // A recorder from the start, as in the program: its record names the file opened, and copies
    // it in the background from the first key on, while keys go on.
    EditorRecorder recorder(*editor_, *document_, prompts_, folder);
    const double opened = Measure::time([this] { open(); });
    QElapsedTimer sinceKey;
    sinceKey.start();
    const double firstKeyOn = Measure::time(typeAtEnd);
    QList<double> copying;
    do {
        if (sinceKey.elapsed() > 300000) {
            throw std::runtime_error("the record's copy of the file never became durable");
        }
        copying << Measure::threadCpu(typeAtEnd);
        idle(50);
    } while (!recorder.baseDurable());
    const double baseDurable = static_cast<double>(sinceKey.elapsed());
    const double diskRatio = static_cast<double>(diskBytes(recorder.recordPath())) /
                             static_cast<double>(QFileInfo(file_).size());
    recorder.flushNow();
    // Bytes per key: one catch-up after every key, and one after a burst of 100 keys.
    qint64 before = recorder.recordBytes();
    for (int i = 0; i < 20; ++i) {
        typeAtEnd();
        recorder.flushNow();
    }
    const double perKey = static_cast<double>(recorder.recordBytes() - before) / 20;
    before = recorder.recordBytes();
    for (int i = 0; i < 100; ++i) {
        typeAtEnd();
    }
    recorder.flushNow();
    const double perBurstKey = static_cast<double>(recorder.recordBytes() - before) / 100;
    // From the last key to a durable record, with the program's timing.
    QList<double> durable;
    for (int i = 0; i < std::min(runs, 3); ++i) {
        QEventLoop loop;
        QObject::connect(&recorder, &Recorder::durable, &loop, &QEventLoop::quit);
        QTimer::singleShot(20000, &loop, &QEventLoop::quit);
        durable << Measure::time([&] {
            typeAtEnd();
            loop.exec();
        });
    }
    // A restore of that record (the file it names, and the keys), then the restored document
    // recorded whole and restored again.
    leaveCopy(recorder, QStringLiteral("left-opened.zrec"));
    const auto restore = [&] {
        if (!offerRecovery(recorder, *document_, *editor_)) {
            throw std::runtime_error("nothing was restored");
        }
        draw();
    };
    const double restoredOpened = Measure::time(restore);
    const double whole = Measure::time([&] { recorder.flushNow(); });
    const double wholeBytes = static_cast<double>(recorder.recordBytes());
    leaveCopy(recorder, QStringLiteral("left-whole.zrec"));
    const double restoredWhole = Measure::time(restore);

    const qint64 peak = Measure::peakMemory();
    report({QStringLiteral("first-key-recovery-off"), {firstKeyOff}, peak});
    report({QStringLiteral("first-key-recovery-on"), {firstKeyOn}, peak});
    report({QStringLiteral("key-while-copying"), copying, peak});
    report({QStringLiteral("base-durable"), {baseDurable}, peak});
    report({QStringLiteral("record-disk-per-file-byte"), {diskRatio}, peak});
    report({QStringLiteral("key-recovery-off"), off, peak});
    report({QStringLiteral("key-recovery-on"), on, peak});
    report({QStringLiteral("catch-up-to-durable"), catchUp, peak});
    report({QStringLiteral("bytes-per-key"), {perKey}, peak});
    report({QStringLiteral("bytes-per-key-burst"), {perBurstKey}, peak});
    report({QStringLiteral("last-key-to-durable"), durable, peak});
    report({QStringLiteral("open"), {opened}, peak});
    report({QStringLiteral("restore-opened"), {restoredOpened}, peak});
    report({QStringLiteral("record-whole"), {whole}, peak});
    report({QStringLiteral("record-whole-bytes"), {wholeBytes}, peak});
    report({QStringLiteral("restore-whole"), {restoredWhole}, peak});
}
