// A save killed at a random moment, fifty times for each way of saving: afterwards the file holds
// the old document or the new one, whole, never a mix of the two and never nothing; or, for a file
// written in place, the next start offers the private copy back and that gives the old document
// whole.
#include "FileBytes.h"
#include "InterruptedSaves.h"
#include "ScriptedPrompts.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <unistd.h>

namespace {

QString saverPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/reliability_saver");
}

constexpr int kMegabytes = 1;

} // namespace

class TestKilledSave : public QObject {
    Q_OBJECT
private slots:
    void killedSaveLeavesWholeFile_data();
    void killedSaveLeavesWholeFile();

private:
    // Runs the saver; with killAfterUs >= 0 kills it that many microseconds after it said
    // "ready". Returns the microseconds from "ready" to "done" (the end of the save), or to the
    // kill; -1 when the saver failed.
    qint64 runSaver(const QString& file, const QString& kind, int variant, qint64 killAfterUs);

    QTemporaryDir cache_; // where the saver keeps the private copies of files written in place
};

qint64 TestKilledSave::runSaver(const QString& file, const QString& kind, int variant,
                                qint64 killAfterUs) {
    QProcess saver;
    saver.setProgram(saverPath());
    saver.setArguments({file, kind, QString::number(variant), QString::number(kMegabytes)});
    saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CACHE_HOME"), cache_.path());
    saver.setProcessEnvironment(environment);
    saver.start();
    if (!saver.waitForStarted(10000)) {
        return -1;
    }
    while (!saver.canReadLine() && saver.waitForReadyRead(20000)) {
    }
    if (saver.readLine() != "ready\n") {
        return -1;
    }
    QElapsedTimer clock;
    clock.start();
    if (killAfterUs >= 0) {
        QThread::usleep(static_cast<unsigned long>(killAfterUs));
        saver.kill(); // SIGKILL: nothing of the saver runs after it
        saver.waitForFinished(60000);
        return clock.nsecsElapsed() / 1000;
    }
    while (!saver.canReadLine() && saver.waitForReadyRead(60000)) {
    }
    const qint64 us = clock.nsecsElapsed() / 1000;
    const bool done = saver.readLine() == "done\n";
    saver.waitForFinished(60000);
    return done ? us : -1;
}

void TestKilledSave::killedSaveLeavesWholeFile_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("inPlace"); // a second name makes the save write the file in place
    QTest::newRow("text lines") << QStringLiteral("txt") << false;
    QTest::newRow("rtf") << QStringLiteral("rtf") << false;
    QTest::newRow("text lines in place") << QStringLiteral("txt") << true;
}

void TestKilledSave::killedSaveLeavesWholeFile() {
    QFETCH(QString, kind);
    QFETCH(bool, inPlace);
    QVERIFY2(QFileInfo::exists(saverPath()), qPrintable(saverPath()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("документ с пробелами.") + kind);
    const QString copies = cache_.filePath(QStringLiteral("zelto"));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache_.path())); // where the start looks too

    // Both complete versions, and how long a save takes.
    QVERIFY(runSaver(file, kind, 1, -1) > 0);
    if (inPlace) {
        QVERIFY(
            ::link(QFile::encodeName(file).constData(),
                   QFile::encodeName(dir.filePath(QStringLiteral("second name"))).constData()) ==
            0);
    }
    const QByteArray second = readBytes(file);
    // The fastest of three saves: one slowed by other work on the machine would spread the kills
    // past the save's end.
    qint64 saveUs = -1;
    for (int i = 0; i < 3; ++i) {
        const qint64 us = runSaver(file, kind, 0, -1);
        QVERIFY(us > 0);
        saveUs = saveUs < 0 ? us : std::min(saveUs, us);
    }
    const QByteArray first = readBytes(file);
    QVERIFY(first.size() > (kMegabytes << 20) / 2 && second.size() > (kMegabytes << 20) / 2);
    QVERIFY(first != second);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    QByteArray expectedOld = first;
    int keptOld = 0;
    int tookNew = 0;
    int fromCopy = 0;
    int strays = 0;
    for (int i = 0; i < 50; ++i) {
        const int variant = expectedOld == first ? 1 : 0;
        const QByteArray& fresh = variant == 1 ? second : first;
        // Anywhere from before the file is created to just after the save ends.
        const qint64 killAt = random.bounded(saveUs * 11 / 10 + 1);
        runSaver(file, kind, variant, killAt);
        const QByteArray now = readBytes(file);
        // The next start: it asks about a copy only when the file is not whole.
        ScriptedPrompts prompts;
        prompts.answers = {mrYes};
        InterruptedSaves::offer(prompts);
        const bool whole = now == expectedOld || now == fresh;
        if (now == expectedOld) {
            ++keptOld;
        } else if (now == fresh) {
            ++tookNew;
            expectedOld = fresh;
        } else if (readBytes(file) == expectedOld) {
            ++fromCopy; // killed while the file was written in place: the copy went back
        }
        if (prompts.questions.size() != (whole ? 0 : 1) || readBytes(file) != expectedOld) {
            QFAIL(qPrintable(QStringLiteral("seed %1, run %2, kill after %3 us: the file held %4 "
                                            "bytes, %5 questions at the next start, %6 bytes "
                                            "after them; the versions have %7 and %8 bytes")
                                 .arg(seed)
                                 .arg(i)
                                 .arg(killAt)
                                 .arg(now.size())
                                 .arg(prompts.questions.size())
                                 .arg(readBytes(file).size())
                                 .arg(expectedOld.size())
                                 .arg(fresh.size())));
        }
        const QStringList copied = QDir(copies).entryList(QDir::Files | QDir::Hidden);
        // A kill between linking the new file under a temporary name and renaming it leaves
        // that name behind, and a kill while a copy is made or removed leaves it (the start
        // removes the rest without a word): counted, as they cost no data.
        const QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        const QStringList kept = {QFileInfo(file).fileName(), QStringLiteral("second name")};
        for (const QString& name : names) {
            if (!kept.contains(name)) {
                ++strays;
                QFile::remove(dir.filePath(name));
            }
        }
        for (const QString& name : copied) {
            ++strays;
            QFile::remove(QDir(copies).filePath(name));
        }
    }
    qInfo("%s%s: save takes %lld ms; 50 kills: old file kept %d times, new file whole %d times, "
          "old file whole in the private copy %d times, %d stray files (seed %u)",
          qPrintable(kind), inPlace ? " in place" : "", saveUs / 1000, keptOld, tookNew, fromCopy,
          strays, seed);
    if (inPlace) {
        // Still the same file under both names.
        QCOMPARE(readBytes(dir.filePath(QStringLiteral("second name"))), readBytes(file));
    }
    // Most kills must land inside the save, or the test proves nothing.
    QVERIFY(keptOld + fromCopy >= 10);
}

QTEST_GUILESS_MAIN(TestKilledSave)
#include "tst_killedsave.moc"
