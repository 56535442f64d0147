// The recovery layer on its own: the changed stretches agree with the document they follow; a
// record gives its document back whatever happened to the file it began as; names that are not
// UTF-8 come back byte for byte; a disk that fills keeps the durable record.
#include "ChangeSpans.h"
#include "FileBytes.h"
#include "FileName.h"
#include "RecordReader.h"
#include "Recorder.h"
#include "ScriptedPrompts.h"
#include "TextFile.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The document a record begins with, built from the record's own copy of its file.
std::unique_ptr<QTextDocument> baseOf(RecordReader& reader) {
    auto doc = std::make_unique<QTextDocument>();
    if (reader.start().base == Record::BaseKind::TextFile) {
        QByteArray bytes;
        reader.readBase([&bytes](QByteArrayView chunk) { bytes += chunk; });
        doc->setPlainText(TextFile::decodeLines(bytes));
    }
    return doc;
}

void writeRaw(const QByteArray& path, QByteArrayView bytes, int flags = O_TRUNC) {
    // NOLINTNEXTLINE(cppcoreguidelines-pro-type-vararg)
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | flags, 0600);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, bytes.data(), static_cast<size_t>(bytes.size())), bytes.size());
    ::close(fd);
}

// The only record in folder, read.
struct Replayed {
    QString text;
    DocBinding binding;
    DocBinding current;
    bool holdsBase = false;
    qint64 lastChangeMs = 0;
};

Replayed replayOnly(const QString& folder) {
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.zrec")}, QDir::Files);
    if (names.size() != 1) {
        qWarning() << "records:" << names;
        return {};
    }
    QFile file(folder + '/' + names.front());
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    RecordReader reader(file);
    const std::unique_ptr<QTextDocument> doc = reader.replay(baseOf);
    return {doc->toPlainText(), reader.binding(), reader.currentBinding(), reader.holdsBase(),
            reader.commit().lastChangeMs};
}

} // namespace

class TestRecord : public QObject {
    Q_OBJECT
private slots:
    void spansFollowTheDocument();
    void recordOutlivesItsFile_data();
    void recordOutlivesItsFile();
    void fullDiskKeepsTheDurableRecord();
};

// Random edits of a string against the stretches that follow them: the recorded text with each
// stretch replaced by its current characters gives the current text, and recording the fronts
// brings the two together.
void TestRecord::spansFollowTheDocument() {
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    for (int round = 0; round < 200; ++round) {
        QString recorded = QString(random.bounded(0, 40), QLatin1Char('r'));
        QString current = recorded;
        ChangeSpans spans(random.bounded(1, 5));
        spans.reset(static_cast<int>(current.size()));
        for (int step = 0; step < 30; ++step) {
            const int at = random.bounded(static_cast<int>(current.size()) + 1);
            const int removed = random.bounded(static_cast<int>(current.size()) - at + 1);
            const int added = random.bounded(0, 6);
            current.replace(at, removed, QString(added, QChar(u'a' + step % 26)));
            QVERIFY(spans.change(at, removed, added));
            QVERIFY2(spans.consistent(), qPrintable(QString::number(seed)));
            QCOMPARE(spans.length(), current.size());
            QCOMPARE(spans.recordedLength(), recorded.size());
            // Rebuild the current text from the recorded one, front to back: each stretch
            // replaced puts the text before the next one in current positions.
            QString rebuilt = recorded;
            for (const ChangeSpans::Span& s : spans.spans()) {
                rebuilt.replace(s.from, s.recorded, current.mid(s.from, s.to - s.from));
            }
            QVERIFY2(rebuilt == current, qPrintable(QStringLiteral("seed %1").arg(seed)));
            if (random.bounded(4) == 0) {
                while (!spans.empty()) {
                    spans.recordFront(random.bounded(0, 4));
                    QVERIFY(spans.consistent());
                }
                recorded = current;
            }
        }
    }
    // A change beyond the document is refused, and the stretches stay as they were.
    ChangeSpans spans;
    spans.reset(3);
    QVERIFY(!spans.change(5, 1, 0));
    QVERIFY(spans.empty());
}

void TestRecord::recordOutlivesItsFile_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<std::function<void(const QByteArray&)>>("change");
    QTest::addColumn<bool>("sameBytes"); // the file holds the bytes it held when opened
    using Change = std::function<void(const QByteArray&)>;
    const QByteArray plain = "base.txt";
    QTest::newRow("unchanged") << plain << Change([](const QByteArray&) {}) << true;
    QTest::newRow("appended to") << plain << Change([](const QByteArray& path) {
        writeRaw(path, "one more line\r\n", O_APPEND);
    }) << false;
    QTest::newRow("truncated") << plain << Change([](const QByteArray& path) {
        QCOMPARE(::truncate(path.constData(), 3), 0);
    }) << false;
    QTest::newRow("removed") << plain << Change([](const QByteArray& path) {
        QCOMPARE(::unlink(path.constData()), 0);
    }) << false;
    QTest::newRow("a FIFO in its place") << plain << Change([](const QByteArray& path) {
        QCOMPARE(::unlink(path.constData()), 0);
        QCOMPARE(::mkfifo(path.constData(), 0600), 0);
    }) << false;
    QTest::newRow("torn by a save killed halfway")
        << plain << Change([](const QByteArray& path) { writeRaw(path, "NEW TEXT", 0); }) << false;
    QTest::newRow("written back with the same bytes")
        << plain << Change([](const QByteArray& path) {
               QTest::qWait(10); // another modification time
               writeRaw(path, "first line\r\nsecond line\r\n");
           })
        << true;
    QTest::newRow("a name that is not UTF-8, appended to")
        << QByteArray("\xcf\xf0\xe8\xec\xe5\xf0.txt")
        << Change([](const QByteArray& path) { writeRaw(path, "more", O_APPEND); }) << false;
}

void TestRecord::recordOutlivesItsFile() {
    using Change = std::function<void(const QByteArray&)>;
    QFETCH(QByteArray, name);
    QFETCH(Change, change);
    QFETCH(bool, sameBytes);
    const QTemporaryDir dir;
    const QByteArray path = FileName::encode(dir.path()) + '/' + name;
    const QString fileName = FileName::decode(path);
    const QByteArray bytes = "first line\r\nsecond line\r\n";
    writeRaw(path, bytes);

    ScriptedPrompts prompts;
    const QString folder = dir.filePath(QStringLiteral("zelto/recovery"));
    Recorder recorder(prompts, RecordFolder(folder, dir.path()));
    QTextDocument doc;
    doc.documentLayout(); // a document reports its changes once it is laid out, as the editor's is
    doc.setPlainText(TextFile::decodeLines(bytes));
    DocBinding binding{fileName, DocFormat::PlainText, FileStamp::of(fileName), {}};
    recorder.follow([&doc] { return &doc; }, [&binding] { return binding; });
    QTextCursor(&doc).insertText(QStringLiteral("typed "));
    recorder.flushNow();
    recorder.waitForBase();
    QVERIFY(recorder.baseDurable());

    change(path);
    const Replayed back = replayOnly(folder);
    QVERIFY(back.holdsBase);
    QCOMPARE(back.text, doc.toPlainText());
    QCOMPARE(back.binding.fileName, fileName);
    QCOMPARE(FileName::encode(back.binding.fileName), path);
    // The next save asks about another program only when the file's bytes changed.
    QCOMPARE(back.current.stamp == FileStamp::of(fileName), sameBytes);
    QVERIFY(prompts.questions.isEmpty());
}

// A real small file system, filled after the record's first commit: the record stays, as of that
// commit, and a fresh one takes its place once there is room again.
void TestRecord::fullDiskKeepsTheDurableRecord() {
    const QTemporaryDir dir;
    const QString disk = dir.filePath(QStringLiteral("small"));
    QVERIFY(QDir().mkpath(disk));
    if (QProcess::execute(QStringLiteral("mount"),
                          {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                           QStringLiteral("size=4m"), QStringLiteral("tmpfs"), disk}) != 0) {
        QSKIP("a small file system cannot be mounted here");
    }
    const auto unmount =
        qScopeGuard([&disk] { QProcess::execute(QStringLiteral("umount"), {disk}); });
    ScriptedPrompts prompts;
    const QString folder = disk + QStringLiteral("/zelto/recovery");
    Recorder recorder(prompts, RecordFolder(folder, disk), RecorderTiming{10, 100, 8, 20});
    QTextDocument doc;
    doc.documentLayout();
    recorder.follow([&doc] { return &doc; }, [] { return DocBinding(); });
    QTextCursor(&doc).insertText(QStringLiteral("durable"));
    doc.setModified(true);
    recorder.flushNow();
    const qint64 firstChange = replayOnly(folder).lastChangeMs;

    QFile filler(disk + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    QTextCursor(&doc).insertText(QString(300000, QLatin1Char('y')));
    recorder.flushNow();
    QTRY_COMPARE(prompts.questions.size(), 1);
    QVERIFY(prompts.questions[0].contains(QStringLiteral("когда на диске появится место")));
    const Replayed kept = replayOnly(folder);
    QCOMPARE(kept.text, QStringLiteral("durable"));
    QCOMPARE(kept.lastChangeMs, firstChange);
    // Still held: no other editor takes it for a record left behind.
    QVERIFY(RecordFolder(folder, disk).claimOrphans().empty());

    filler.close();
    QVERIFY(filler.remove());
    QTRY_VERIFY_WITH_TIMEOUT(!recorder.recordPath().isEmpty(), 5000);
    recorder.flushNow();
    QCOMPARE(replayOnly(folder).text, doc.toPlainText());
    QCOMPARE(prompts.questions.size(), 1);
}

QTEST_MAIN(TestRecord)
#include "tst_record.moc"
