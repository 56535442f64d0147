// Files a user may open that are not the neat text files the program writes: each opens through
// the document's Open without a crash, giving the lines the reading rules say, and a file that
// cannot be read gives its message and changes nothing.
#include "Cp1251.h"
#include "Document.h"
#include "Errors.h"
#include "FileBytes.h"
#include "RichEdit.h"
#include "ScriptedPrompts.h"
#include "TextFile.h"
#include "Unprivileged.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <memory>
#include <optional>

namespace {

// Scripted answers; with vanish set, the file the open dialog answers with is gone before it is
// read.
class VanishingPrompts : public ScriptedPrompts {
public:
    bool vanish = false;
    bool runOpenDialog(FileDialogState& state) override {
        const bool chosen = ScriptedPrompts::runOpenDialog(state);
        if (vanish) {
            QFile::remove(state.fileName);
        }
        return chosen;
    }
};

} // namespace

class TestBadInput : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void opensAsLines_data();
    void opensAsLines();
    void binaryFileSurvivesSaveAndOpen();
    void longSingleLine();
    void millionEmptyLines();
    void unreadableFileChangesNothing_data();
    void unreadableFileChangesNothing();
    void cyrillicPathWithSpaces();

private:
    // Opens path through the document as the Open command does; returns the reported message.
    QString open(const QString& path);
    // The save after the question, to the bound file; returns the reported message.
    QString promptSave();
    // The file at path holds text's lines, then nothing or the end of original from a Ctrl-Z on.
    void checkSavedBack(const QByteArray& original, const QString& text, const QString& path);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RichEdit> editor_;
    std::unique_ptr<VanishingPrompts> prompts_;
    std::unique_ptr<Document> document_;
    QStringList reported_;
};

void TestBadInput::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    editor_ = std::make_unique<RichEdit>();
    editor_->widget()->resize(600, 400);
    editor_->widget()->show();
    prompts_ = std::make_unique<VanishingPrompts>();
    document_ = std::make_unique<Document>(*editor_, *prompts_);
    document_->formShow();
    reported_.clear();
    setErrorReporter([this](const QString& message) { reported_.append(message); });
}

void TestBadInput::cleanup() {
    setErrorReporter(nullptr);
    document_.reset();
    prompts_.reset();
    editor_.reset();
    dir_.reset();
}

QString TestBadInput::open(const QString& path) {
    reported_.clear();
    prompts_->openAnswers = {path};
    runGuarded([this] { document_->open(); });
    // Let the editor lay out and paint what it shows, as it would on screen.
    QCoreApplication::processEvents();
    editor_->widget()->grab();
    return reported_.value(0);
}

QString TestBadInput::promptSave() {
    reported_.clear();
    editor_->setModified(true);
    prompts_->answers = {mrYes};
    runGuarded([this] { document_->queryClose(); });
    return reported_.value(0);
}

void TestBadInput::opensAsLines_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text"); // the editor's text, breaks as CR LF
    const QString crlf = QStringLiteral("\r\n");
    QTest::newRow("empty file") << QByteArray() << QString();
    QTest::newRow("nul bytes") << QByteArray("a\0b\r\n\0", 6)
                               << QStringLiteral("a") + QChar(0) + QStringLiteral("b\r\n") +
                                      QChar(0) + crlf;
    QTest::newRow("only nul bytes") << QByteArray(1000, '\0') << QString(1000, QChar(0)) + crlf;
    QTest::newRow("undefined byte 0x98")
        << QByteArray("x\x98y") << QStringLiteral("x") + QChar(0x98) + QStringLiteral("y\r\n");
    QTest::newRow("lone cr inside") << QByteArray("a\rb\r\nc") << QStringLiteral("ab\r\nc\r\n");
    QTest::newRow("lone cr at end") << QByteArray("ab\r") << QStringLiteral("ab\r\n");
    QTest::newRow("only lone crs") << QByteArray("\r\r\r") << QStringLiteral("\r\n");
    QTest::newRow("mac line ends") << QByteArray("a\rb\rc\r") << QStringLiteral("abc\r\n");
    QTest::newRow("ctrl-z alone") << QByteArray("\x1a") << QString();
    QTest::newRow("ctrl-z at file start") << QByteArray("\x1a"
                                                        "abc\r\ndef")
                                          << QString();
    QTest::newRow("ctrl-z inside a line") << QByteArray("ab\x1a"
                                                        "cd\r\nef")
                                          << QStringLiteral("ab\r\nef\r\n");
    QTest::newRow("ctrl-z before cr lf")
        << QByteArray("ab\x1a\r\ncd") << QStringLiteral("ab\r\ncd\r\n");
    QTest::newRow("ctrl-z between cr and lf")
        << QByteArray("ab\r\x1a\ncd") << QStringLiteral("ab\r\ncd\r\n");
    QTest::newRow("ctrl-z at a later line's start") << QByteArray("ab\r\n\x1a"
                                                                  "cd\r\nef")
                                                    << QStringLiteral("ab\r\n");
    QTest::newRow("ctrl-z at file end")
        << QByteArray("ab\r\ncd\x1a") << QStringLiteral("ab\r\ncd\r\n");
    QTest::newRow("two ctrl-z in a row") << QByteArray("ab\x1a\x1a"
                                                       "cd\nef")
                                         << QStringLiteral("ab\r\n");
    QTest::newRow("ctrl-z in the skipped rest") << QByteArray("ab\x1a"
                                                              "c\x1a"
                                                              "d\nef")
                                                << QStringLiteral("ab\r\n");
    QTest::newRow("ctrl-z after a lone cr") << QByteArray("\r\x1a"
                                                          "x\ny")
                                            << QStringLiteral("\r\ny\r\n");
    QTest::newRow("utf-8 read as windows-1251")
        << QByteArray("\xd0\x96") << QStringLiteral("Р–\r\n");
    QTest::newRow("utf-16 byte order mark") << QByteArray("\xff\xfe"
                                                          "a\0",
                                                          4)
                                            << QStringLiteral("яюa") + QChar(0) + crlf;
}

void TestBadInput::opensAsLines() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString path = dir_->filePath(QStringLiteral("input.txt"));
    writeBytes(path, bytes);
    QCOMPARE(open(path), QString());
    QCOMPARE(editor_->text(), text);
    QVERIFY(!editor_->modified());
    QCOMPARE(document_->title(), Document::TitlePrefix + QStringLiteral("input.txt"));
    // What was read is what the save after the question writes back, then what a Ctrl-Z left
    // unread, unchanged.
    QCOMPARE(promptSave(), QString());
    checkSavedBack(bytes, text, path);
}

void TestBadInput::checkSavedBack(const QByteArray& original, const QString& text,
                                  const QString& path) {
    const QByteArray saved = readBytes(path);
    const QByteArray lines = Cp1251::encode(text);
    QCOMPARE(saved.left(lines.size()), lines);
    const QByteArray rest = saved.mid(lines.size());
    QVERIFY2(rest.isEmpty() || (rest.startsWith('\x1a') && original.endsWith(rest)),
             rest.left(40).toHex(' ').constData());
}

void TestBadInput::binaryFileSurvivesSaveAndOpen() {
    QRandomGenerator random(1234);
    QByteArray bytes(512 * 1024, Qt::Uninitialized);
    random.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
    const QString path = dir_->filePath(QStringLiteral("program.bin"));
    writeBytes(path, bytes);
    QCOMPARE(open(path), QString());
    const QString first = editor_->text();
    QVERIFY(!first.isEmpty());
    QCOMPARE(promptSave(), QString());
    QCOMPARE(open(path), QString());
    QCOMPARE(editor_->text(), first);
    checkSavedBack(bytes, first, path);
}

void TestBadInput::longSingleLine() {
    QByteArray bytes(20 * 1024 * 1024, 'w');
    for (qsizetype i = 7; i < bytes.size(); i += 8) {
        bytes[i] = ' '; // words, so that the line wraps
    }
    const QString path = dir_->filePath(QStringLiteral("long.txt"));
    writeBytes(path, bytes);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(open(path), QString());
    const qint64 openMs = clock.elapsed();
    QCOMPARE(editor_->textLength(), bytes.size() + 2);
    // One paragraph, then the empty one after the file's last line break.
    QCOMPARE(editor_->text().indexOf(QLatin1String("\r\n")), bytes.size());
    clock.restart();
    QCOMPARE(promptSave(), QString());
    const qint64 saveMs = clock.elapsed();
    QCOMPARE(readBytes(path), bytes + "\r\n");
    qInfo("20 MB line: open %lld ms, save %lld ms", openMs, saveMs);
}

void TestBadInput::millionEmptyLines() {
    QByteArray bytes;
    for (int i = 0; i < 1000000; ++i) {
        bytes += "\r\n";
    }
    const QString path = dir_->filePath(QStringLiteral("empty lines.txt"));
    writeBytes(path, bytes);
    QElapsedTimer clock;
    clock.start();
    QCOMPARE(open(path), QString());
    const qint64 openMs = clock.elapsed();
    QCOMPARE(editor_->document()->blockCount(), 1000001);
    QCOMPARE(editor_->textLength(), 2000000);
    // The end of the text is reachable and positions map there and back.
    editor_->setSelStart(editor_->textLength());
    QCOMPARE(editor_->selStart(), 2000000);
    QCOMPARE(editor_->toPosition(editor_->toQtPosition(1999998)), 1999998);
    clock.restart();
    QCOMPARE(promptSave(), QString());
    const qint64 saveMs = clock.elapsed();
    QCOMPARE(readBytes(path), bytes);
    qInfo("1,000,000 empty lines: open %lld ms, save %lld ms", openMs, saveMs);
}

void TestBadInput::unreadableFileChangesNothing_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("vanishes after the dialog") << "vanish"
                                               << "File not found";
    QTest::newRow("no read permission") << "secret"
                                        << "File access denied";
    QTest::newRow("a folder") << "folder"
                              << "File access denied";
    QTest::newRow("a name never created") << "missing"
                                          << "File not found";
}

void TestBadInput::unreadableFileChangesNothing() {
    QFETCH(QString, kind);
    QFETCH(QString, message);
    const QString path = dir_->filePath(QStringLiteral("target.txt"));
    if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (kind != QLatin1String("missing")) {
        writeBytes(path, "content\r\n");
    }
    if (kind == QLatin1String("secret")) {
        QVERIFY(QFile::setPermissions(path, QFileDevice::WriteOwner));
    }
    // The folder is open to the user nobody, so that only the file itself can stop the read.
    QFile::setPermissions(dir_->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ExeOwner | QFileDevice::ExeOther);
    editor_->setText(QStringLiteral("typed text"));
    editor_->setModified(false);
    const QString title = document_->title();

    QString reported;
    {
        // For root, permission bits stop nothing: the open runs as the user nobody then.
        std::optional<UnprivilegedScope> user;
        if (kind == QLatin1String("secret")) {
            user.emplace();
        }
        if (user && !user->ok()) {
            QSKIP("running as root and cannot switch to the user nobody: read permission does "
                  "not apply");
        }
        if (kind == QLatin1String("vanish")) {
            prompts_->vanish = true; // the dialog removes the file once it has its name
            reported = open(path);
        } else {
            prompts_->openAnswers = {path};
            reported_.clear();
            runGuarded([this] { document_->OpenDocument(); });
            reported = reported_.value(0);
        }
    }
    QCOMPARE(reported, message);
    QCOMPARE(errorBoxText(reported), message + QLatin1Char('.'));
    QCOMPARE(editor_->text(), QStringLiteral("typed text"));
    QCOMPARE(document_->title(), title);
    QVERIFY(!document_->HasFileName());
}

void TestBadInput::cyrillicPathWithSpaces() {
    const QString folder = dir_->filePath(QStringLiteral("Мои документы 2024"));
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/письмо от  мамы.txt");
    writeBytes(path, Cp1251::encode(u"Привет!\r\nКак дела?\r\n"));
    QCOMPARE(open(path), QString());
    QCOMPARE(editor_->text(), QStringLiteral("Привет!\r\nКак дела?\r\n"));
    QCOMPARE(document_->title(), Document::TitlePrefix + QStringLiteral("письмо от  мамы.txt"));
    editor_->setText(QStringLiteral("Ответ"));
    QCOMPARE(promptSave(), QString());
    QCOMPARE(readBytes(path), Cp1251::encode(u"Ответ\r\n"));
    // The RTF save under a Cyrillic name beside it.
    const QString rtf = folder + QStringLiteral("/копия письма.rtf");
    prompts_->saveAnswers = {rtf};
    runGuarded([this] { document_->saveAs(); });
    QVERIFY2(reported_.isEmpty(), qPrintable(reported_.join('|')));
    QVERIFY(readBytes(rtf).startsWith("{\\rtf1"));
    QCOMPARE(document_->title(), Document::TitlePrefix + QStringLiteral("копия письма.rtf"));
}

QTEST_MAIN(TestBadInput)
#include "tst_badinput.moc"
