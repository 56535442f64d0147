// A save killed at a random moment, a hundred times: afterwards the file holds the old document or
// the new one, whole, never a mix of the two and never nothing.
#include "FileBytes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

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
};

qint64 TestKilledSave::runSaver(const QString& file, const QString& kind, int variant,
                                qint64 killAfterUs) {
    QProcess saver;
    saver.setProgram(saverPath());
    saver.setArguments({file, kind, QString::number(variant), QString::number(kMegabytes)});
    saver.setProcessChannelMode(QProcess::ForwardedErrorChannel);
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
    QTest::newRow("text lines") << QStringLiteral("txt");
    QTest::newRow("rtf") << QStringLiteral("rtf");
}

void TestKilledSave::killedSaveLeavesWholeFile() {
    QFETCH(QString, kind);
    QVERIFY2(QFileInfo::exists(saverPath()), qPrintable(saverPath()));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("документ с пробелами.") + kind);

    // Both complete versions, and how long a save takes.
    QVERIFY(runSaver(file, kind, 1, -1) > 0);
    const QByteArray second = readBytes(file);
    const qint64 saveUs = runSaver(file, kind, 0, -1);
    QVERIFY(saveUs > 0);
    const QByteArray first = readBytes(file);
    QVERIFY(first.size() > (kMegabytes << 20) / 2 && second.size() > (kMegabytes << 20) / 2);
    QVERIFY(first != second);

    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    QByteArray expectedOld = first;
    int keptOld = 0;
    int tookNew = 0;
    int strays = 0;
    for (int i = 0; i < 50; ++i) {
        const int variant = expectedOld == first ? 1 : 0;
        const QByteArray& fresh = variant == 1 ? second : first;
        // Anywhere from before the file is created to just after the save ends.
        const qint64 killAt = random.bounded(saveUs * 11 / 10 + 1);
        runSaver(file, kind, variant, killAt);
        const QByteArray now = readBytes(file);
        if (now == expectedOld) {
            ++keptOld;
        } else if (now == fresh) {
            ++tookNew;
            expectedOld = fresh;
        } else {
            QFAIL(qPrintable(QStringLiteral("seed %1, run %2, kill after %3 us: the file holds "
                                            "%4 bytes, neither version")
                                 .arg(seed)
                                 .arg(i)
                                 .arg(killAt)
                                 .arg(now.size())));
        }
        // A kill between linking the new file under a temporary name and renaming it leaves
        // that name behind: counted, as it costs no data.
        const QStringList names = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        strays += static_cast<int>(names.size()) - 1;
        for (const QString& name : names) {
            if (dir.filePath(name) != file) {
                QFile::remove(dir.filePath(name));
            }
        }
    }
    qInfo("%s: save takes %lld ms; 50 kills: old file kept %d times, new file whole %d times, "
          "%d stray temporary files (seed %u)",
          qPrintable(kind), saveUs / 1000, keptOld, tookNew, strays, seed);
    // Most kills must land inside the save, or the test proves nothing.
    QVERIFY(keptOld >= 10);
}

QTEST_GUILESS_MAIN(TestKilledSave)
#include "tst_killedsave.moc"
