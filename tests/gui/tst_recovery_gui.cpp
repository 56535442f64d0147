// Recovery through the main window: what the start-up offer does with each answer, with several
// records and with a file on the command line; which ends remove the record; a record that cannot
// be read; a folder that cannot be written.
#include "AppPrompts.h"
#include "Application.h"
#include "Document.h"
#include "EditorRecorder.h"
#include "FileBytes.h"
#include "MainWindowFixture.h"
#include "MessageDialog.h"
#include "PrivateCopy.h"
#include "RecordFormat.h"
#include "RichEdit.h"
#include "ScriptedPrompts.h"
#include "StartUp.h"
#include "TForm1.h"
#include "TypeText.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <functional>
#include <memory>

class TestRecoveryGui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void offerAtStart_data();
    void offerAtStart();
    void enterAtEveryQuestionAfterATornSave();
    void severalRecordsNewestFirst();
    void unreadableRecordPutAsideAndToldOnce();
    void cleanEndRemovesRecord_data();
    void cleanEndRemovesRecord();
    void folderThatCannotBeWrittenToldOnce_data();
    void folderThatCannotBeWrittenToldOnce();

private:
    QString recordFolder() const { return dir_->filePath(QStringLiteral("zelto/recovery")); }
    RecordFolder folder() const { return {recordFolder(), dir_->path()}; }
    QStringList records() const {
        return QDir(recordFolder()).entryList({QStringLiteral("*.zrec")}, QDir::Files);
    }
    // Starts the window with its recorder, as the program does, and lets the start-up run.
    void start(const QStringList& arguments = {QStringLiteral("zelto")});
    // Leaves the record of a document that an editor killed after typing text (after opening
    // file first, when one is given).
    // copied: the record had made its own copy of the file (else it was killed before).
    void leaveRecord(const QString& text, const QString& file = {}, bool copied = true);
    QWidget* editor() const { return form_->RichEdit1->widget(); }

    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedPrompts prompts_;
    MainWindowFixture form_;
    std::unique_ptr<Recorder> recorder_;
};

void TestRecoveryGui::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    prompts_ = ScriptedPrompts();
}

void TestRecoveryGui::cleanup() {
    recorder_.reset();
    form_.reset();
}

void TestRecoveryGui::start(const QStringList& arguments) {
    recorder_.reset();
    form_.create(prompts_);
    recorder_ =
        std::make_unique<EditorRecorder>(*form_->RichEdit1, form_->document(), prompts_, folder());
    showMainWindow(*form_, prompts_, arguments, recorder_.get());
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    QTest::qWait(50); // the offer and the open run once the event loop does
}

namespace {

// record without its copy of the bytes of the file it began as (their sum stays).
QByteArray withoutBaseCopy(const QByteArray& record) {
    QByteArray out = record.left(Record::kMagic.size());
    for (qsizetype at = out.size(); at + Record::kEntryOverhead <= record.size();) {
        ByteReader r(QByteArrayView(record).sliced(at));
        const qsizetype length = r.u32();
        const auto type = static_cast<Record::EntryType>(r.u8());
        const qsizetype size = Record::kEntryOverhead + length;
        if (type != Record::EntryType::BaseBytes) {
            out += record.sliced(at, size);
        }
        at += size;
    }
    return out;
}

} // namespace

void TestRecoveryGui::leaveRecord(const QString& text, const QString& file, bool copied) {
    ScriptedPrompts prompts;
    MainWindowFixture form;
    form.create(prompts);
    EditorRecorder recorder(*form->RichEdit1, form->document(), prompts, folder());
    if (!file.isEmpty()) {
        form->document().openFile(file);
    }
    typeText(form->RichEdit1->widget(), text);
    recorder.flushNow();
    recorder.waitForBase();
    // A copy is what a killed editor leaves: a record nobody holds.
    QByteArray record = readBytes(recorder.recordPath());
    if (!copied) {
        record = withoutBaseCopy(record);
    }
    writeBytes(QStringLiteral("%1/%2-left.zrec").arg(recordFolder()).arg(records().size()), record);
}

void TestRecoveryGui::offerAtStart_data() {
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("withFile");        // started as zelto FILE
    QTest::addColumn<bool>("recordOfAFile");   // the record's document was opened from a file
    QTest::addColumn<QByteArray>("baseLater"); // what that file holds at the start, if rewritten
    QTest::addColumn<bool>("copied");          // the record holds its own copy of that file
    QTest::addColumn<QString>("text");         // in the window afterwards
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("recordsLeft");
    QTest::addColumn<int>("messages");
    const QByteArray same;
    const QString untitled = QStringLiteral("Новый файл");
    const QByteArray changed("lime");
    QTest::newRow("Yes") << mrYes << false << false << same << true << "typed" << untitled << 1
                         << 1;
    QTest::newRow("Yes, opened file") << mrYes << false << true << same << true << "typedline\r\n"
                                      << "base.txt" << 1 << 1;
    QTest::newRow("Yes, opened file changed since")
        << mrYes << false << true << changed << true << "typedline\r\n"
        << "base.txt" << 1 << 1;
    QTest::newRow("Yes, opened file put back with the same bytes, not copied")
        << mrYes << false << true << QByteArray("line") << false << "typedline\r\n"
        << "base.txt" << 1 << 1;
    // Kept for the next start, when the file may be back.
    QTest::newRow("Yes, opened file changed since, not copied")
        << mrYes << false << true << changed << false << "" << untitled << 1 << 2;
    QTest::newRow("No") << mrNo << false << false << same << true << "" << untitled << 0 << 1;
    QTest::newRow("Cancel") << mrCancel << false << false << same << true << "" << untitled << 1
                            << 1;
    QTest::newRow("Yes, zelto FILE")
        << mrYes << true << false << same << true << "typed" << untitled << 1 << 1;
    QTest::newRow("Cancel, zelto FILE") << mrCancel << true << false << same << true << "arg\r\n"
                                        << "arg.txt" << 1 << 1;
}

void TestRecoveryGui::offerAtStart() {
    QFETCH(int, answer);
    QFETCH(bool, withFile);
    QFETCH(bool, recordOfAFile);
    QFETCH(QByteArray, baseLater);
    QFETCH(bool, copied);
    QFETCH(QString, text);
    QFETCH(QString, title);
    QFETCH(int, recordsLeft);
    QFETCH(int, messages);
    const QString base = dir_->filePath(QStringLiteral("base.txt"));
    writeBytes(base, "line");
    writeBytes(dir_->filePath(QStringLiteral("arg.txt")), "arg");
    leaveRecord(QStringLiteral("typed"), recordOfAFile ? base : QString(), copied);
    if (!baseLater.isEmpty()) {
        QTest::qWait(10); // another modification time
        writeBytes(base, baseLater);
    }
    prompts_.answers = {answer};
    QStringList arguments{QStringLiteral("zelto")};
    if (withFile) {
        arguments << dir_->filePath(QStringLiteral("arg.txt"));
    }
    start(arguments);
    QCOMPARE(prompts_.questions.size(), messages);
    QVERIFY2(prompts_.questions[0].contains(recordOfAFile ? "«base.txt»" : "«Новый файл»"),
             qPrintable(prompts_.questions[0]));
    QCOMPARE(form_->RichEdit1->text(), text);
    QCOMPARE(form_->windowTitle(), Document::TitlePrefix + title);
    const bool restored = answer == mrYes && messages == 1;
    QCOMPARE(form_->RichEdit1->modified(), restored);
    QCOMPARE(form_->document().HasFileName(), title != "Новый файл");
    if (restored) {
        // The window's own record takes the place of the one it restored.
        recorder_->flushNow();
        QTRY_COMPARE(records(), QStringList{QFileInfo(recorder_->recordPath()).fileName()});
    }
    QCOMPARE(records().size(), recordsLeft);
}

// A save in place killed halfway, with the record of the edits it was writing: the real dialogs,
// each answered with Enter, give the edits back in the window and the file whole (its old
// bytes), and the next save writes without asking about another program.
void TestRecoveryGui::enterAtEveryQuestionAfterATornSave() {
    const QByteArray cacheBefore = qgetenv("XDG_CACHE_HOME");
    qputenv("XDG_CACHE_HOME", QFile::encodeName(dir_->filePath(QStringLiteral("cache"))));
    const auto restoreCache = qScopeGuard([&cacheBefore] {
        cacheBefore.isNull() ? qunsetenv("XDG_CACHE_HOME") : qputenv("XDG_CACHE_HOME", cacheBefore);
    });
    const QString base = dir_->filePath(QStringLiteral("base.txt"));
    writeBytes(base, "line one\r\n");
    leaveRecord(QStringLiteral("typed "), base);
    {
        QFile old(base);
        QVERIFY(old.open(QIODevice::ReadOnly));
        const PrivateCopy copy(QFile::encodeName(base), static_cast<int>(old.handle()),
                               NullProgress::instance());
        QFile torn(base);
        QVERIFY(torn.open(QIODevice::ReadWrite));
        torn.write("typed li"); // where the kill stopped the save
    }

    QStringList titles;
    QTimer enter;
    connect(&enter, &QTimer::timeout, this, [&titles] {
        if (auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget())) {
            titles << box->windowTitle();
            QTest::keyClick(box, Qt::Key_Return);
        }
    });
    enter.start(20);
    AppPrompts prompts;
    MainWindowFixture form;
    form.create(prompts);
    EditorRecorder recorder(*form->RichEdit1, form->document(), prompts, folder());
    showMainWindow(*form, prompts, {QStringLiteral("zelto")}, &recorder);
    QTRY_COMPARE(form->RichEdit1->text(), QStringLiteral("typed line one\r\n"));
    QCOMPARE(readBytes(base), QByteArray("line one\r\n"));
    QCOMPARE(titles.size(), 2); // the old bytes back, then the record
    QCOMPARE(titles[1], Application::title());
    QCOMPARE(form->windowTitle(), Document::TitlePrefix + QStringLiteral("base.txt"));

    form->N5Click(); // New: Enter at "save the changes?" saves into the file
    QTRY_COMPARE(readBytes(base), QByteArray("typed line one\r\n"));
    QCOMPARE(titles.size(), 3);
}

void TestRecoveryGui::severalRecordsNewestFirst() {
    leaveRecord(QStringLiteral("older"));
    QTest::qWait(5);
    leaveRecord(QStringLiteral("newer"));
    prompts_.answers = {mrCancel, mrYes};
    start();
    QCOMPARE(prompts_.questions.size(), 2);
    QCOMPARE(form_->RichEdit1->text(), QStringLiteral("older"));
    // The newer one, kept by Cancel, is offered again at the next start.
    prompts_ = ScriptedPrompts();
    prompts_.answers = {mrNo};
    recorder_->flushNow();
    start();
    QCOMPARE(prompts_.questions.size(), 1);
    QCOMPARE(form_->RichEdit1->text(), QString());
}

void TestRecoveryGui::unreadableRecordPutAsideAndToldOnce() {
    QDir().mkpath(recordFolder());
    writeBytes(recordFolder() + QStringLiteral("/broken.zrec"), "not a record at all");
    start();
    QCOMPARE(prompts_.questions.size(), 1);
    QVERIFY(prompts_.questions[0].contains(QStringLiteral("broken.unreadable")));
    QVERIFY(QFile::exists(recordFolder() + QStringLiteral("/broken.unreadable")));
    start();
    QCOMPARE(prompts_.questions.size(), 1);
}

void TestRecoveryGui::cleanEndRemovesRecord_data() {
    QTest::addColumn<std::function<void(TestRecoveryGui*, TForm1&, ScriptedPrompts&)>>("end");
    using End = std::function<void(TestRecoveryGui*, TForm1&, ScriptedPrompts&)>;
    QTest::newRow("Сохранить...") << End([](TestRecoveryGui* t, TForm1& f, ScriptedPrompts& p) {
        p.saveAnswers = {t->dir_->filePath("saved.rtf")};
        f.N7Click();
    });
    QTest::newRow("Yes at New") << End([](TestRecoveryGui* t, TForm1& f, ScriptedPrompts& p) {
        p.answers = {mrYes};
        p.saveAnswers = {t->dir_->filePath("saved.txt")};
        f.N5Click();
    });
    QTest::newRow("No at New") << End([](TestRecoveryGui*, TForm1& f, ScriptedPrompts& p) {
        p.answers = {mrNo};
        f.N5Click();
    });
    QTest::newRow("No at Open") << End([](TestRecoveryGui* t, TForm1& f, ScriptedPrompts& p) {
        writeBytes(t->dir_->filePath("other.txt"), "other");
        p.answers = {mrNo};
        p.openAnswers = {t->dir_->filePath("other.txt")};
        f.N6Click();
    });
    QTest::newRow("No at exit") << End([](TestRecoveryGui* t, TForm1& f, ScriptedPrompts& p) {
        p.answers = {mrNo};
        QVERIFY(f.close());
        t->recorder_.reset(); // the program's end
    });
}

void TestRecoveryGui::cleanEndRemovesRecord() {
    using End = std::function<void(TestRecoveryGui*, TForm1&, ScriptedPrompts&)>;
    QFETCH(End, end);
    start();
    typeText(editor(), QStringLiteral("work"));
    recorder_->flushNow();
    QCOMPARE(records().size(), 1);
    end(this, *form_, prompts_);
    if (recorder_) {
        recorder_->flushNow();
    }
    QCOMPARE(QDir(recordFolder()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

void TestRecoveryGui::folderThatCannotBeWrittenToldOnce_data() {
    QTest::addColumn<QString>("blocker"); // a file in place of this folder
    QTest::newRow("a file in the folder's place") << "zelto";
    QTest::newRow("no home") << "";
    // Every file of the folder linked to stays, hidden ones and ones named as records too.
    QTest::newRow("a link to another folder") << "link";
}

void TestRecoveryGui::folderThatCannotBeWrittenToldOnce() {
    QFETCH(QString, blocker);
    const QString notes = dir_->filePath(QStringLiteral("notes"));
    if (blocker.isEmpty()) {
        dir_->remove(); // the folder the record would go under is gone
    } else if (blocker == "link") {
        QVERIFY(QDir().mkpath(notes) && QDir().mkpath(dir_->filePath(QStringLiteral("zelto"))));
        QVERIFY(QFile::link(notes, recordFolder()));
        writeBytes(notes + QStringLiteral("/.1-0123abcd"), "hidden, named as a record being made");
        QVERIFY(QFile::copy(QFINDTESTDATA("tst_recovery_gui.cpp"), notes + "/1-0.zrec"));
    } else {
        writeBytes(dir_->filePath(blocker), "");
    }
    const QFileDevice::Permissions notesMode = QFileInfo(notes).permissions();
    const QStringList notesFiles = QDir(notes).entryList(QDir::Files | QDir::Hidden);
    start();
    for (int i = 0; i < 5; ++i) {
        typeText(editor(), QStringLiteral("abc"));
        recorder_->flushNow();
        QTest::qWait(20);
    }
    QCOMPARE(form_->RichEdit1->text(), QStringLiteral("abcabcabcabcabc"));
    QCOMPARE(prompts_.questions.size(), 1);
    QVERIFY2(prompts_.questions[0].contains(QDir::toNativeSeparators(recordFolder())) &&
                 (blocker != "link" || prompts_.questions[0].contains("символическая ссылка")),
             qPrintable(prompts_.questions[0]));
    QCOMPARE(QDir(notes).entryList(QDir::Files | QDir::Hidden), notesFiles);
    QCOMPARE(QFileInfo(notes).permissions(), notesMode);
}

QTEST_MAIN(TestRecoveryGui)
#include "tst_recovery_gui.moc"
