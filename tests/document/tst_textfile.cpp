#include "Cp1251.h"
#include "Errors.h"
#include "FileBytes.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <unistd.h>

namespace {

// The lines a file gives, as the editor's paragraphs would hold them.
QByteArray encodeText(const QString& editorText) {
    QTextDocument doc;
    QTextCursor(&doc).insertText(editorText);
    QByteArray out;
    TextFile::encodeParagraphs(
        doc, [&out](QByteArrayView chunk) { out.append(chunk); }, 7);
    return out;
}

} // namespace

class TestTextFile : public QObject {
    Q_OBJECT
private slots:
    void decodeLines_data();
    void decodeLines();
    void encodeLines_data();
    void encodeLines();
    void readErrors_data();
    void readErrors();
    void writeErrorsKeepOldFile_data();
    void writeErrorsKeepOldFile();
    void failedWriteKeepsOldFile();
    void writeKeepsPermissions();
    void writeThroughSymlinkKeepsLink();
    void longSingleLine();
};

void TestTextFile::decodeLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("crlf lines") << QByteArray("a\r\nb\r\n") << QStringLiteral("a\nb\n");
    QTest::newRow("lf lines") << QByteArray("a\nb\n") << QStringLiteral("a\nb\n");
    QTest::newRow("last line without break") << QByteArray("a\nb") << QStringLiteral("a\nb\n");
    QTest::newRow("one empty line") << QByteArray("\r\n") << QStringLiteral("\n");
    QTest::newRow("empty lines kept") << QByteArray("a\n\n\nb") << QStringLiteral("a\n\n\nb\n");
    QTest::newRow("lone cr dropped") << QByteArray("a\rb\r\nc\r") << QStringLiteral("ab\nc\n");
    QTest::newRow("cr cr lf") << QByteArray("a\r\r\nb") << QStringLiteral("a\nb\n");
    QTest::newRow("ctrl-z skips rest of line") << QByteArray("ab\x1a"
                                                             "cd\r\nef")
                                               << QStringLiteral("ab\nef\n");
    QTest::newRow("ctrl-z at line start ends reading") << QByteArray("ab\r\n\x1a"
                                                                     "cd\r\nef")
                                                       << QStringLiteral("ab\n");
    QTest::newRow("second ctrl-z in skipped rest ends reading") << QByteArray("ab\x1a"
                                                                              "c\x1a"
                                                                              "d\nef")
                                                                << QStringLiteral("ab\n");
    QTest::newRow("ctrl-z at the very end") << QByteArray("ab\x1a") << QStringLiteral("ab\n");
    QTest::newRow("ctrl-z after lone cr") << QByteArray("\r\x1a"
                                                        "x\ny")
                                          << QStringLiteral("\ny\n");
    QTest::newRow("cyrillic") << QByteArray("\xcf\xf0\xe8\xe2\xe5\xf2")
                              << QStringLiteral("Привет\n");
    QTest::newRow("undefined 0x98 and nul")
        << QByteArray("a\x98\0b", 4)
        << (QStringLiteral("a") + QChar(0x98) + QChar(0) + QStringLiteral("b\n"));
}

void TestTextFile::decodeLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(TextFile::decodeLines(bytes), text);
    // Cut anywhere and decoded a piece at a time, the bytes give the same text.
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        TextFile::LineDecoder decoder;
        QString pieces;
        decoder.decode(QByteArrayView(bytes).first(cut), pieces);
        decoder.decode(QByteArrayView(bytes).sliced(cut), pieces);
        decoder.finish(pieces);
        QCOMPARE(pieces, text);
    }
    // The same read from a file in chunks of a few bytes.
    QTemporaryDir dir;
    DocFile file;
    file.assign(dir.filePath(QStringLiteral("f.txt")));
    writeBytes(file.fileName(), bytes);
    QString read;
    file.readLines([&read](const QString& piece) { read += piece; }, NullProgress::instance(), 3);
    QCOMPARE(read, text);
}

void TestTextFile::encodeLines_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("lines get crlf") << QStringLiteral("a\nb") << QByteArray("a\r\nb\r\n");
    // An empty last paragraph gives no line; earlier empty ones do.
    QTest::newRow("empty last paragraph") << QStringLiteral("a\n\n") << QByteArray("a\r\n\r\n");
    QTest::newRow("ends in a line separator")
        << QStringLiteral("a") + QChar(QChar::LineSeparator) << QByteArray("a\r\n");
    QTest::newRow("empty text") << QString() << QByteArray();
    QTest::newRow("outside windows-1251")
        << QStringLiteral("Ё€") + QChar(0x263A) << QByteArray("\xa8\x88?\r\n");
    // Files read and written again keep their bytes.
    QByteArray all;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n' && b != 26) {
            all.append(static_cast<char>(b));
        }
    }
    const std::pair<const char*, QByteArray> files[] = {
        {"empty", QByteArray()},
        {"two lines", QByteArray("a\r\nb\r\n")},
        {"empty lines", QByteArray("\r\n\r\nx\r\n\r\n")},
        {"every byte", all + "\r\n"},
        {"binary with nul", QByteArray("\0\x01\xff\x98\r\n\0\r\n", 9)}};
    for (const auto& [name, bytes] : files) {
        QTest::addRow("round trip, %s", name) << TextFile::decodeLines(bytes) << bytes;
    }
}

void TestTextFile::encodeLines() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QCOMPARE(encodeText(text), bytes);
}

void TestTextFile::readErrors_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << QStringLiteral("nothing.txt")
                                  << QStringLiteral("File not found");
    QTest::newRow("missing folder")
        << QStringLiteral("no/such.txt") << QStringLiteral("Invalid filename");
    QTest::newRow("folder") << QStringLiteral("sub") << QStringLiteral("File access denied");
    QTest::newRow("no read permission")
        << QStringLiteral("secret.txt") << QStringLiteral("File access denied");
}

void TestTextFile::readErrors() {
    QFETCH(QString, relative);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const QString secret = dir.filePath(QStringLiteral("secret.txt"));
    writeBytes(secret, "x");
    QFile::setPermissions(secret, QFileDevice::WriteOwner);
    if (relative == QLatin1String("secret.txt") && ::geteuid() == 0) {
        QSKIP("root reads every file");
    }
    DocFile file;
    file.assign(dir.filePath(relative));
    try {
        file.readLines();
        QFAIL("no error");
    } catch (const InOutError& e) {
        QCOMPARE(e.message(), message);
    }
}

void TestTextFile::writeErrorsKeepOldFile_data() {
    QTest::addColumn<QString>("relative");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing folder")
        << QStringLiteral("no/such.txt") << QStringLiteral("Invalid filename");
    QTest::newRow("target is a folder")
        << QStringLiteral("sub") << QStringLiteral("File access denied");
    QTest::newRow("read-only target")
        << QStringLiteral("ro.txt") << QStringLiteral("File access denied");
}

void TestTextFile::writeErrorsKeepOldFile() {
    QFETCH(QString, relative);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const QString ro = dir.filePath(QStringLiteral("ro.txt"));
    writeBytes(ro, "old\r\n");
    QFile::setPermissions(ro, QFileDevice::ReadOwner);
    if (relative == QLatin1String("ro.txt") && ::geteuid() == 0) {
        QSKIP("root writes every file");
    }
    QTextDocument doc(QStringLiteral("new"));
    DocFile file;
    file.assign(dir.filePath(relative));
    try {
        file.writeLines(doc);
        QFAIL("no error");
    } catch (const InOutError& e) {
        QCOMPARE(e.message(), message);
    }
    QCOMPARE(readBytes(ro), QByteArray("old\r\n"));
}

void TestTextFile::failedWriteKeepsOldFile() {
    // A file size limit makes the write fail half-way, as a full disk would.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    writeBytes(path, "old\r\n");
    QTextDocument doc(QString(300000, QLatin1Char('x')));
    QString message;
    try {
        const FileSizeLimit limit(100000);
        DocFile file;
        file.assign(path);
        file.writeLines(doc);
    } catch (const InOutError& e) {
        message = e.message();
    }
    QVERIFY(message.startsWith(QLatin1String("I/O error")) ||
            message == QLatin1String("Disk full"));
    QCOMPARE(readBytes(path), QByteArray("old\r\n"));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"doc.txt"});
}

void TestTextFile::writeKeepsPermissions() {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("doc.txt"));
    writeBytes(path, "old");
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(path, perms));
    DocFile file;
    file.assign(path);
    file.writeLines(QTextDocument(QStringLiteral("new")));
    QCOMPARE(readBytes(path), QByteArray("new\r\n"));
    QCOMPARE(QFile::permissions(path) & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), perms);
}

void TestTextFile::writeThroughSymlinkKeepsLink() {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("target.txt"));
    const QString link = dir.filePath(QStringLiteral("link.txt"));
    writeBytes(target, "old");
    QVERIFY(QFile::link(target, link));
    DocFile file;
    file.assign(link);
    file.writeLines(QTextDocument(QStringLiteral("new")));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(readBytes(target), QByteArray("new\r\n"));
}

void TestTextFile::longSingleLine() {
    QByteArray bytes(20 * 1024 * 1024, '\xe0');
    const QString text = TextFile::decodeLines(bytes);
    QCOMPARE(text.size(), bytes.size() + 1);
    QCOMPARE(text.front(), QChar(0x0430));
    QCOMPARE(text.back(), QLatin1Char('\n'));
}

QTEST_MAIN(TestTextFile)
#include "tst_textfile.moc"
