#include "Cp1251.h"
#include "Errors.h"
#include "FileBytes.h"
#include "FileName.h"
#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <sys/stat.h>
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
    void unreadRestIsKept_data();
    void unreadRestIsKept();
    void fileNamesKeepTheirBytes_data();
    void fileNamesKeepTheirBytes();
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

void TestTextFile::unreadRestIsKept_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("unread"); // from the Ctrl-Z that ended the text
    QTest::addColumn<int>("line");          // the line it stands in
    QTest::newRow("no ctrl-z") << QByteArray("ab\ncd") << QByteArray() << 0;
    QTest::newRow("ctrl-z inside a line ends nothing") << QByteArray("ab\x1a"
                                                                     "cd\nef")
                                                       << QByteArray() << 0;
    QTest::newRow("at a line's start") << QByteArray("ab\r\ncd\r\n\x1a"
                                                     "ef\0\xff\r\n",
                                                     15)
                                       << QByteArray("\x1a"
                                                     "ef\0\xff\r\n",
                                                     7)
                                       << 3;
    // The skipped rest of the line goes too, from its first Ctrl-Z.
    QTest::newRow("second ctrl-z in a skipped rest") << QByteArray("ab\ncd\x1a"
                                                                   "xy\x1a"
                                                                   "z\nlast")
                                                     << QByteArray("\x1a"
                                                                   "xy\x1a"
                                                                   "z\nlast")
                                                     << 2;
    QTest::newRow("only a ctrl-z at the end")
        << QByteArray("ab\r\n\x1a") << QByteArray("\x1a") << 2;
}

void TestTextFile::unreadRestIsKept() {
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, unread);
    QFETCH(int, line);
    QTemporaryDir dir;
    DocFile file;
    file.assign(dir.filePath(QStringLiteral("f.txt")));
    writeBytes(file.fileName(), bytes);
    // In chunks of three bytes, so that the Ctrl-Z and the rest it leaves fall in any chunk.
    const DocFile::Read read = file.readLines([](const QString&) {}, NullProgress::instance(), 3);
    QCOMPARE(read.unread, unread);
    QCOMPARE(read.unreadLine, line);
    // Written back after new lines, the rest is there byte for byte.
    file.writeLines(QTextDocument(QStringLiteral("new")), NullProgress::instance(), read.unread);
    QCOMPARE(readBytes(file.fileName()), "new\r\n" + unread);
}

void TestTextFile::fileNamesKeepTheirBytes_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("shown");
    QTest::newRow("utf-8") << QByteArray("письмо.txt") << QStringLiteral("письмо.txt");
    QTest::newRow("windows-1251") << QByteArray("\xef\xe8\xf1\xfc\xec\xee.txt")
                                  << QStringLiteral("письмо.txt");
    QTest::newRow("koi8-r") << QByteArray("\xd0\xc9\xd3\xd8\xcd\xcf") << QStringLiteral("РЙУШНП");
    QTest::newRow("utf-8 cut short") << QByteArray("a\xd0") << QStringLiteral("aР");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("АЇ");
    QTest::newRow("a surrogate in utf-8") << QByteArray("\xed\xb2\x80") << QStringLiteral("нІЂ");
    QTest::newRow("four bytes") << QByteArray("\xf0\x9f\x98\x80") << QStringLiteral("😀");
}

void TestTextFile::fileNamesKeepTheirBytes() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    const QString name = FileName::decode(bytes);
    QCOMPARE(FileName::encode(name), bytes);
    QCOMPARE(FileName::display(name), shown);
    // Cut within a limit, a name never ends inside a character.
    for (qsizetype room = 0; room <= bytes.size(); ++room) {
        const QByteArray cut = FileName::cut(bytes, room);
        QVERIFY(cut.size() <= room && bytes.startsWith(cut));
        QCOMPARE(FileName::encode(FileName::decode(cut)), cut);
    }
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
    // %1: the file's full name.
    const QString special =
        QStringLiteral("«%1» — не обычный файл, а %2. Zelto открывает и сохраняет только обычные "
                       "файлы.");
    QTest::newRow("a pipe") << QStringLiteral("pipe") << special.arg("%1", "именованный канал");
    QTest::newRow("a link to an endless device")
        << QStringLiteral("zero") << special.arg("%1", "устройство");
    QTest::newRow("above the size limit")
        << QStringLiteral("big.txt")
        << QStringLiteral("Файл «big.txt» слишком велик: Zelto открывает файлы не больше 1 МБ.");
}

void TestTextFile::readErrors() {
    QFETCH(QString, relative);
    QFETCH(QString, message);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    const QString secret = dir.filePath(QStringLiteral("secret.txt"));
    writeBytes(secret, "x");
    QVERIFY(::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600) ==
            0);
    QVERIFY(QFile::link(QStringLiteral("/dev/zero"), dir.filePath(QStringLiteral("zero"))));
    constexpr qint64 kLimit = 1 << 20;
    writeBytes(dir.filePath(QStringLiteral("big.txt")), QByteArray(kLimit + 1, 'x'));
    QFile::setPermissions(secret, QFileDevice::WriteOwner);
    if (relative == QLatin1String("secret.txt") && ::geteuid() == 0) {
        QSKIP("root reads every file");
    }
    DocFile file;
    file.assign(dir.filePath(relative));
    try {
        file.readLines([](const QString&) {}, NullProgress::instance(), 1 << 16, kLimit);
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.message(), QString(message).replace(QLatin1String("%1"), file.fileName()));
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
