#include "Cp1251.h"
#include "Document.h"
#include "Errors.h"
#include "FileBytes.h"
#include "RichEdit.h"
#include "ScriptedPrompts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <memory>

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startsUnbound();
    void shortFileName_data();
    void shortFileName();
    void promptSaveWritesParagraphs_data();
    void promptSaveWritesParagraphs();
    void openThenSaveGivesSameBytesAtAnyWidth();
    void openBindsAndTitles();
    void largeFileIsNotCut();
    void cancellingSaveAfterYesCancelsCommand_data();
    void cancellingSaveAfterYesCancelsCommand();
    void answersOfTheQuestion_data();
    void answersOfTheQuestion();
    void cancelledOpenKeepsModifiedFlag();
    void failedOpenChangesNothing();
    void failedSaveKeepsState();
    void saveWritesRtfAndBinds();
    void promptSaveKeepsFormat_data();
    void promptSaveKeepsFormat();
    void newResetsDialogNames();

private:
    QString path(const char* name) const { return dir_->filePath(QString::fromLatin1(name)); }
    void type(const QString& text) {
        editor_->setText(text);
        editor_->setModified(true);
    }

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RichEdit> editor_;
    std::unique_ptr<ScriptedPrompts> prompts_;
    std::unique_ptr<Document> doc_;
};

void TestDocument::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    editor_ = std::make_unique<RichEdit>();
    prompts_ = std::make_unique<ScriptedPrompts>();
    doc_ = std::make_unique<Document>(*editor_, *prompts_);
    doc_->formShow();
}

void TestDocument::cleanup() {
    doc_.reset();
    prompts_.reset();
    editor_.reset();
    dir_.reset();
}

void TestDocument::startsUnbound() {
    QCOMPARE(doc_->title(), QStringLiteral("Текстовый редактор Zelto ver 1.0 - Новый файл"));
    QVERIFY(!doc_->HasFileName());
    QVERIFY(doc_->queryClose());
    QVERIFY(prompts_->questions.isEmpty());
}

void TestDocument::shortFileName_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("name");
    QTest::newRow("folders") << QStringLiteral("/home/u/docs/a.txt") << QStringLiteral("a.txt");
    QTest::newRow("no folder") << QStringLiteral("a.txt") << QStringLiteral("a.txt");
    QTest::newRow("trailing separator") << QStringLiteral("/tmp/") << QString();
}

void TestDocument::shortFileName() {
    QFETCH(QString, path);
    QFETCH(QString, name);
    QCOMPARE(Document::ShortFileName(path), name);
}

void TestDocument::promptSaveWritesParagraphs_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty document") << QString() << QByteArray();
    QTest::newRow("two lines") << QStringLiteral("a\r\nb") << QByteArray("a\r\nb\r\n");
    QTest::newRow("final break") << QStringLiteral("a\r\n") << QByteArray("a\r\n");
    QTest::newRow("cyrillic") << QStringLiteral("Ёж") << QByteArray("\xa8\xe6\r\n");
    QTest::newRow("long paragraph is one line")
        << QString(3000, QLatin1Char('w')) << QByteArray(3000, 'w') + "\r\n";
}

void TestDocument::promptSaveWritesParagraphs() {
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    type(text);
    prompts_->answers = {mrYes};
    prompts_->saveAnswers = {path("out.txt")};
    QVERIFY(doc_->queryClose());
    QCOMPARE(readBytes(path("out.txt")), bytes);
    QVERIFY(!editor_->modified());
    QVERIFY(doc_->HasFileName());
    QCOMPARE(doc_->format(), DocFormat::PlainText);
    QCOMPARE(doc_->title(), Document::TitlePrefix + QStringLiteral("out.txt"));
    QCOMPARE(prompts_->questions, QStringList{Document::kSaveQuestion});
}

void TestDocument::openThenSaveGivesSameBytesAtAnyWidth() {
    QByteArray bytes;
    for (int i = 0; i < 50; ++i) {
        bytes += QByteArray(40 + i * 7, static_cast<char>('a' + i % 26)) + " слово слово\r\n";
    }
    bytes = Cp1251::encode(QString::fromUtf8(bytes));
    writeBytes(path("in.txt"), bytes);
    const QByteArray original = readBytes(path("in.txt"));
    for (const int width : {120, 1600}) {
        prompts_->openAnswers = {path("in.txt")};
        doc_->open();
        editor_->widget()->resize(width, 300);
        editor_->widget()->show();
        QCoreApplication::processEvents();
        editor_->setModified(true);
        prompts_->answers = {mrYes};
        QVERIFY(doc_->queryClose());
        QCOMPARE(readBytes(path("in.txt")), original);
    }
}

void TestDocument::openBindsAndTitles() {
    writeBytes(path("two.txt"), "a\nb");
    writeBytes(path("empty.txt"), "");
    editor_->setText(QStringLiteral("old"));
    editor_->setModified(false);
    prompts_->openAnswers = {path("two.txt")};
    doc_->open(); // not modified: no question
    QVERIFY(prompts_->questions.isEmpty());
    QCOMPARE(editor_->text(), QStringLiteral("a\r\nb\r\n"));
    QCOMPARE(doc_->title(), Document::TitlePrefix + QStringLiteral("two.txt"));
    QCOMPARE(doc_->CurrentFileName(), path("two.txt"));
    QCOMPARE(doc_->binding().stamp, FileStamp::of(path("two.txt")));
    QVERIFY(doc_->HasFileName());
    QVERIFY(!editor_->modified());
    QCOMPARE(editor_->selStart(), 0);
    QVERIFY(doc_->openDialog().fileName.isEmpty());

    prompts_->openAnswers = {path("empty.txt")};
    doc_->open();
    QCOMPARE(editor_->text(), QString());
    QCOMPARE(doc_->title(), Document::TitlePrefix + QStringLiteral("empty.txt"));
}

void TestDocument::largeFileIsNotCut() {
    QByteArray bytes;
    for (int i = 0; i < 20000; ++i) {
        bytes += "line " + QByteArray::number(i) + "\r\n";
    }
    QVERIFY(bytes.size() > 2 * 65536);
    writeBytes(path("large.txt"), bytes);
    prompts_->openAnswers = {path("large.txt")};
    doc_->open();
    QCOMPARE(editor_->textLength(), bytes.size());
    editor_->setModified(true);
    prompts_->answers = {mrYes};
    QVERIFY(doc_->queryClose());
    QCOMPARE(readBytes(path("large.txt")), bytes);
}

void TestDocument::cancellingSaveAfterYesCancelsCommand_data() {
    QTest::addColumn<QString>("command");
    QTest::newRow("new") << QStringLiteral("new");
    QTest::newRow("open") << QStringLiteral("open");
    QTest::newRow("close") << QStringLiteral("close");
}

void TestDocument::cancellingSaveAfterYesCancelsCommand() {
    QFETCH(QString, command);
    type(QStringLiteral("work"));
    prompts_->answers = {mrYes};
    prompts_->saveAnswers = {QString()};
    prompts_->openAnswers = {path("never.txt")};
    bool closes = true;
    if (command == QLatin1String("new")) {
        doc_->newFile();
    } else if (command == QLatin1String("open")) {
        doc_->open();
    } else {
        closes = doc_->queryClose();
    }
    QVERIFY(!closes || command != QLatin1String("close"));
    QCOMPARE(editor_->text(), QStringLiteral("work"));
    QVERIFY(editor_->modified());
    QCOMPARE(doc_->title(), Document::kNewFileTitle);
    QVERIFY(!doc_->HasFileName());
    QVERIFY(prompts_->openDialogNames.isEmpty());
}

void TestDocument::answersOfTheQuestion_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("closes");
    QTest::addColumn<bool>("written");
    QTest::newRow("yes") << mrYes << true << true;
    QTest::newRow("no") << mrNo << true << false;
    QTest::newRow("cancel") << mrCancel << false << false;
}

void TestDocument::answersOfTheQuestion() {
    QFETCH(int, answer);
    QFETCH(bool, closes);
    QFETCH(bool, written);
    writeBytes(path("doc.txt"), "old\r\n");
    prompts_->openAnswers = {path("doc.txt")};
    doc_->open();
    type(QStringLiteral("new"));
    prompts_->answers = {answer};
    QCOMPARE(doc_->queryClose(), closes);
    QCOMPARE(readBytes(path("doc.txt")), written ? QByteArray("new\r\n") : QByteArray("old\r\n"));
    QVERIFY(prompts_->saveDialogNames.isEmpty()); // a bound document is saved without asking
    QCOMPARE(editor_->modified(), !written);
}

void TestDocument::cancelledOpenKeepsModifiedFlag() {
    type(QStringLiteral("unsaved"));
    doc_->openDialog().fileName = QStringLiteral("remembered.txt");
    prompts_->answers = {mrNo};
    prompts_->openAnswers = {QString()};
    doc_->open();
    QCOMPARE(prompts_->openDialogNames, QStringList{QStringLiteral("remembered.txt")});
    QVERIFY(doc_->openDialog().fileName.isEmpty());
    QCOMPARE(editor_->text(), QStringLiteral("unsaved"));
    QVERIFY(editor_->modified());
    // So closing still asks.
    prompts_->answers = {mrCancel};
    QVERIFY(!doc_->queryClose());
    QCOMPARE(prompts_->questions.size(), 2);
}

void TestDocument::failedOpenChangesNothing() {
    writeBytes(path("a.txt"), "first\r\n");
    prompts_->openAnswers = {path("a.txt"), path("missing.txt")};
    doc_->open();
    type(QStringLiteral("edited"));
    prompts_->answers = {mrNo};
    try {
        doc_->open();
        QFAIL("no error");
    } catch (const InOutError& e) {
        QCOMPARE(errorBoxText(e.message()), QStringLiteral("File not found."));
    }
    QCOMPARE(editor_->text(), QStringLiteral("edited"));
    QVERIFY(editor_->modified());
    QCOMPARE(doc_->title(), Document::TitlePrefix + QStringLiteral("a.txt"));
    QCOMPARE(doc_->CurrentFileName(), path("a.txt"));
    // A later save writes the text into the file it came from.
    prompts_->answers = {mrYes};
    QVERIFY(doc_->queryClose());
    QCOMPARE(readBytes(path("a.txt")), QByteArray("edited\r\n"));
    QVERIFY(!QFile::exists(path("missing.txt")));
}

void TestDocument::failedSaveKeepsState() {
    type(QStringLiteral("text"));
    prompts_->answers = {mrYes};
    prompts_->saveAnswers = {path("no/such/dir.txt")};
    QVERIFY_THROWS_EXCEPTION(InOutError, doc_->queryClose());
    QVERIFY(!doc_->HasFileName());
    QVERIFY(editor_->modified());
    QCOMPARE(doc_->title(), Document::kNewFileTitle);
    prompts_->saveAnswers = {path("no/x.rtf")};
    try {
        doc_->saveAs();
        QFAIL("no error");
    } catch (const Error& e) {
        QVERIFY(e.message().startsWith(
            QStringLiteral("Cannot create file \"%1\".").arg(path("no/x.rtf"))));
    }
    QVERIFY(!doc_->HasFileName());
    QVERIFY(editor_->modified());
}

void TestDocument::saveWritesRtfAndBinds() {
    type(QStringLiteral("rich"));
    prompts_->saveAnswers = {path("x.txt"), QString()};
    doc_->saveAs(); // RTF whatever the extension
    QVERIFY(readBytes(path("x.txt")).startsWith("{\\rtf1"));
    QCOMPARE(doc_->title(), Document::TitlePrefix + QStringLiteral("x.txt"));
    QVERIFY(doc_->HasFileName());
    QVERIFY(!editor_->modified());
    QCOMPARE(doc_->saveDialog().fileName, path("x.txt")); // offered again next time
    doc_->saveAs();                                       // cancelled: nothing changes
    QCOMPARE(prompts_->saveDialogNames.last(), path("x.txt"));
    QCOMPARE(doc_->title(), Document::TitlePrefix + QStringLiteral("x.txt"));
    // Opening it shows its RTF source.
    prompts_->openAnswers = {path("x.txt")};
    doc_->open();
    QVERIFY(editor_->text().startsWith(QStringLiteral("{\\rtf1")));
}

void TestDocument::promptSaveKeepsFormat_data() {
    QTest::addColumn<QString>("binding");
    QTest::addColumn<bool>("rtf");
    QTest::newRow("bound by open") << QStringLiteral("open") << false;
    QTest::newRow("bound by save") << QStringLiteral("save") << true;
    QTest::newRow("name asked, .RTF") << QStringLiteral("x.RTF") << true;
    QTest::newRow("name asked, .txt") << QStringLiteral("x.txt") << false;
    QTest::newRow("name asked, no extension") << QStringLiteral("x") << false;
}

void TestDocument::promptSaveKeepsFormat() {
    QFETCH(QString, binding);
    QFETCH(bool, rtf);
    QString target = path("bound.rtf");
    writeBytes(target, "plain\r\n");
    if (binding == QLatin1String("open")) {
        prompts_->openAnswers = {target};
        doc_->open();
    } else if (binding == QLatin1String("save")) {
        prompts_->saveAnswers = {target};
        doc_->saveAs();
    } else {
        target = dir_->filePath(binding);
        type(QStringLiteral("first"));
        prompts_->answers = {mrYes};
        prompts_->saveAnswers = {target};
        QVERIFY(doc_->queryClose()); // binds under the asked name
    }
    type(QStringLiteral("second"));
    prompts_->answers = {mrYes};
    QVERIFY(doc_->queryClose());
    const QByteArray bytes = readBytes(target);
    QCOMPARE(bytes.startsWith("{\\rtf1"), rtf);
    QVERIFY(bytes.contains("second"));
    QCOMPARE(doc_->format(), rtf ? DocFormat::Rtf : DocFormat::PlainText);
}

void TestDocument::newResetsDialogNames() {
    prompts_->saveAnswers = {path("s.rtf")};
    doc_->saveAs();
    doc_->openDialog().fileName = QStringLiteral("o.txt");
    type(QStringLiteral("x"));
    prompts_->answers = {mrNo};
    doc_->newFile();
    QCOMPARE(editor_->text(), QString());
    QVERIFY(!editor_->modified());
    QCOMPARE(doc_->title(), Document::kNewFileTitle);
    QVERIFY(!doc_->HasFileName());
    QVERIFY(doc_->CurrentFileName().isEmpty()); // the binding goes whole
    QVERIFY(doc_->openDialog().fileName.isEmpty());
    QVERIFY(doc_->saveDialog().fileName.isEmpty());
}

QTEST_MAIN(TestDocument)
#include "tst_document.moc"
