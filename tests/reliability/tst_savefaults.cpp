// Every command of the main window that writes or discards text, against every fault a user's
// disk can throw at a save: the error box names the fault, the window stays open with its text,
// title, binding and modified flag, the old file stays whole and nothing new lies beside it; once a
// passing fault is gone, the next save works. The cells tried and the cells that kept everything
// are counted at the end.
#include "Cp1251.h"
#include "Document.h"
#include "ErrorCapture.h"
#include "Errors.h"
#include "FaultInjection.h"
#include "FileBytes.h"
#include "InPlaceWriter.h"
#include "RichEdit.h"
#include "ScriptedPrompts.h"
#include "TForm1.h"
#include "Unprivileged.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <memory>
#include <unistd.h>

namespace {

// What the user does.
enum class Command { New, Open, ExitMenu, CloseBox, SaveAs };
// What the document is bound to before the command; the save after Yes writes that.
enum class Binding {
    Never,
    PlainText,
    Rtf,
    PlainTextLinked
}; // linked: two names, written in place

enum class Fault_ {
    TempCannotBeCreated, // no room for the temporary file's entry
    DiskFull,            // a write fails half-way with ENOSPC
    DiskTakesNoMore,     // a write half-way writes nothing and reports no error
    SyncFails,           // flushing to the disk fails with EIO
    LinkFails,           // giving the written file its name fails with ENOSPC
    RenameFails,         // replacing the old file fails with EIO
    TargetIsFolder,
    NoPermission, // the target is read-only
    ReadOnlyFileSystem,
    MissingFolder,
    NameTooLong,
};

const QByteArray kOld = "old line\r\n";

bool writesRtf(Command command, Binding binding) {
    return command == Command::SaveAs || binding == Binding::Rtf;
}

// The plain I/O message of a fault.
QString ioMessage(Fault_ fault) {
    switch (fault) {
    case Fault_::NoPermission:
    case Fault_::TargetIsFolder:
    case Fault_::ReadOnlyFileSystem:
        return QStringLiteral("File access denied");
    case Fault_::MissingFolder:
    case Fault_::NameTooLong:
        return QStringLiteral("Invalid filename");
    case Fault_::TempCannotBeCreated:
    case Fault_::DiskFull:
    case Fault_::LinkFails:
        return QStringLiteral("I/O error 112");
    case Fault_::DiskTakesNoMore:
        return QStringLiteral("Disk full");
    case Fault_::SyncFails:
    case Fault_::RenameFails:
        return QStringLiteral("I/O error 1117");
    }
    return {};
}

// Faults that strike before a byte is written: the RTF writer reports them as a file it cannot
// create. A name too long for the folder is found only when the written file is put in place.
bool strikesAtCreation(Fault_ fault) {
    return fault == Fault_::NoPermission || fault == Fault_::TargetIsFolder ||
           fault == Fault_::MissingFolder || fault == Fault_::TempCannotBeCreated ||
           fault == Fault_::ReadOnlyFileSystem;
}

QString expectedMessage(bool rtf, Fault_ fault, const QString& target) {
    if (!rtf) {
        return ioMessage(fault);
    }
    if (strikesAtCreation(fault)) {
        return QStringLiteral("Cannot create file \"%1\". %2")
            .arg(QDir::toNativeSeparators(target), ioMessage(fault));
    }
    return QStringLiteral("Failed to Save Stream");
}

// Whether a fault can strike the save at all: a file written in place has no temporary file, and
// only a name the user types can be too long.
bool applies(Binding binding, Fault_ fault) {
    if (binding == Binding::PlainTextLinked) {
        return fault == Fault_::DiskFull || fault == Fault_::DiskTakesNoMore ||
               fault == Fault_::SyncFails || fault == Fault_::NoPermission ||
               fault == Fault_::ReadOnlyFileSystem;
    }
    return fault != Fault_::NameTooLong || binding == Binding::Never;
}

// Faults that pass once the disk is mended, so that the next save must succeed.
bool mendable(Fault_ fault) {
    return fault == Fault_::DiskFull || fault == Fault_::DiskTakesNoMore ||
           fault == Fault_::SyncFails || fault == Fault_::RenameFails;
}

constexpr QFileDevice::Permissions kFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                             QFileDevice::ExeOther;
constexpr QFileDevice::Permissions kFile =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther;
constexpr uid_t kNobody = 65534;

// Hands path to the user the saves run as, when the test runs as root.
void giveAway(const QString& path) {
    if (::geteuid() == 0) {
        QVERIFY(::chown(QFile::encodeName(path).constData(), kNobody, kNobody) == 0);
    }
}

int cellsTried = 0;
int cellsKept = 0;

} // namespace

class TestSaveFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void faultKeepsEverything_data();
    void faultKeepsEverything();

private:
    // Binds the document as binding says and leaves it modified with a text longer than the bytes
    // a filling disk lets through.
    void prepare(Binding binding, const QString& target);
    // Runs the command; a question is answered Yes and the save dialog gives saveName.
    void run(Command command, const QString& saveName);
    // Breaks the disk as fault says.
    void inflict(Fault_ fault, const QString& target);
    QStringList entries(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    QTemporaryDir cache_;
    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedPrompts prompts_;
    std::unique_ptr<TForm1> form_;
    QStringList reported_;
    std::unique_ptr<ErrorCapture> capture_;
};

void TestSaveFaults::initTestCase() {
    // The private copies of files written in place, where the unprivileged user may write.
    QFile::setPermissions(cache_.path(), kFolder | QFileDevice::WriteOther);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache_.path()));
}

void TestSaveFaults::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QFile::setPermissions(dir_->path(), kFolder);
    prompts_ = ScriptedPrompts();
    form_ = std::make_unique<TForm1>(prompts_);
    form_->show();
    reported_.clear();
    capture_ = std::make_unique<ErrorCapture>(reported_);
}

void TestSaveFaults::cleanup() {
    Fault::disarm();
    capture_.reset();
    form_.reset();
    dir_.reset();
}

void TestSaveFaults::cleanupTestCase() {
    qInfo("save-fault matrix through the main window: %d cells tried, %d kept everything",
          cellsTried, cellsKept);
}

void TestSaveFaults::prepare(Binding binding, const QString& target) {
    const QString folder = QFileInfo(target).path();
    QVERIFY(QDir().mkpath(folder));
    QFile::setPermissions(folder, kFolder);
    giveAway(folder);
    if (binding == Binding::Rtf) {
        prompts_.saveAnswers = {target};
        form_->N7->trigger();
    }
    writeBytes(target, kOld);
    QFile::setPermissions(target, kFile);
    giveAway(target);
    if (binding == Binding::PlainText || binding == Binding::PlainTextLinked) {
        prompts_.openAnswers = {target};
        form_->N6->trigger();
    }
    if (binding == Binding::PlainTextLinked) {
        const QByteArray second = QFile::encodeName(folder + QStringLiteral("/second name"));
        QVERIFY(::link(QFile::encodeName(target).constData(), second.constData()) == 0);
    }
    QVERIFY2(reported_.isEmpty(), qPrintable(reported_.join('|')));
    QString text;
    for (int i = 0; i < 400; ++i) {
        text += QStringLiteral("Строка %1 текста документа\n").arg(i);
    }
    form_->RichEdit1->setText(text);
    form_->RichEdit1->setModified(true);
}

void TestSaveFaults::inflict(Fault_ fault, const QString& target) {
    const QString folder = QFileInfo(target).path();
    switch (fault) {
    case Fault_::NoPermission:
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        break;
    case Fault_::TargetIsFolder:
        QFile::remove(target);
        QDir().mkdir(target);
        break;
    case Fault_::MissingFolder:
        QDir(folder).removeRecursively();
        break;
    case Fault_::NameTooLong:
        break;
    case Fault_::TempCannotBeCreated:
        Fault::arm(folder, Fault::Call::Create, ENOSPC);
        break;
    case Fault_::ReadOnlyFileSystem:
        Fault::arm(folder, Fault::Call::OpenForWrite, EROFS);
        break;
    case Fault_::DiskFull:
        // Once: the space an emptied file gives back takes its old contents again.
        Fault::arm(folder, Fault::Call::Write, ENOSPC, 1000, true);
        break;
    case Fault_::DiskTakesNoMore:
        Fault::arm(folder, Fault::Call::Write, 0, 1000, true);
        break;
    case Fault_::SyncFails:
        Fault::arm(folder, Fault::Call::Sync, EIO, 0, true);
        break;
    case Fault_::LinkFails:
        Fault::arm(folder, Fault::Call::Link, ENOSPC);
        break;
    case Fault_::RenameFails:
        Fault::arm(folder, Fault::Call::Rename, EIO);
        break;
    }
}

void TestSaveFaults::run(Command command, const QString& saveName) {
    prompts_.answers = {mrYes};
    prompts_.saveAnswers = {saveName};
    prompts_.openAnswers = {saveName}; // what Open would load if it went on
    switch (command) {
    case Command::New:
        form_->N5->trigger();
        break;
    case Command::Open:
        form_->N6->trigger();
        break;
    case Command::ExitMenu:
        form_->N10->trigger();
        break;
    case Command::CloseBox: {
        // What the platform sends for the close box, Alt+F4 or the end of the session.
        QCloseEvent event;
        QApplication::sendEvent(form_->windowHandle(), &event);
        break;
    }
    case Command::SaveAs:
        form_->N7->trigger();
        break;
    }
}

void TestSaveFaults::faultKeepsEverything_data() {
    QTest::addColumn<Command>("command");
    QTest::addColumn<Binding>("binding");
    QTest::addColumn<Fault_>("fault");
    const std::pair<Command, const char*> commands[] = {{Command::New, "New"},
                                                        {Command::Open, "Open"},
                                                        {Command::ExitMenu, "Exit by menu"},
                                                        {Command::CloseBox, "close box"}};
    const std::pair<Binding, const char*> bindings[] = {
        {Binding::Never, "never saved"},
        {Binding::PlainText, "bound as text"},
        {Binding::Rtf, "bound as RTF"},
        {Binding::PlainTextLinked, "bound as text, two links"}};
    const std::pair<Fault_, const char*> faults[] = {
        {Fault_::TempCannotBeCreated, "temporary file cannot be created"},
        {Fault_::DiskFull, "disk full"},
        {Fault_::DiskTakesNoMore, "disk takes no more"},
        {Fault_::SyncFails, "flush fails"},
        {Fault_::LinkFails, "link fails"},
        {Fault_::RenameFails, "rename fails"},
        {Fault_::TargetIsFolder, "target is a folder"},
        {Fault_::NoPermission, "no permission"},
        {Fault_::ReadOnlyFileSystem, "read-only file system"},
        {Fault_::MissingFolder, "missing folder"},
        {Fault_::NameTooLong, "name too long"},
    };
    for (const auto& [fault, faultName] : faults) {
        QTest::addRow("Save as RTF, %s", faultName) << Command::SaveAs << Binding::Never << fault;
        for (const auto& [command, commandName] : commands) {
            for (const auto& [binding, bindingName] : bindings) {
                if (applies(binding, fault)) {
                    QTest::addRow("%s, %s, %s", commandName, bindingName, faultName)
                        << command << binding << fault;
                }
            }
        }
    }
}

void TestSaveFaults::faultKeepsEverything() {
    QFETCH(Command, command);
    QFETCH(Binding, binding);
    QFETCH(Fault_, fault);
    ++cellsTried;
    const bool rtf = writesRtf(command, binding);
    const QString target =
        dir_->filePath(rtf ? QStringLiteral("sub/doc.rtf") : QStringLiteral("sub/doc.txt"));
    QString saveName = target;
    if (fault == Fault_::NameTooLong) {
        saveName = dir_->filePath(QStringLiteral("sub/") + QString(300, QLatin1Char('x')));
    }
    prepare(binding, target);
    const QString text = form_->RichEdit1->text();
    const QString title = form_->windowTitle();
    const bool bound = form_->document().HasFileName();
    const QString folder = QFileInfo(target).path();
    const QStringList before = entries(folder);

    inflict(fault, target);
    {
        UnprivilegedScope user;
        if (!user.ok()) {
            QSKIP("running as root and cannot switch to the user nobody: permissions do not apply");
        }
        reported_.clear();
        run(command, saveName);
    }
    Fault::disarm();

    QCOMPARE(reported_, QStringList{expectedMessage(rtf, fault, saveName)});
    // The window is as it was: open, and its text still to be saved.
    QVERIFY(form_->isVisible());
    QCOMPARE(form_->RichEdit1->text(), text);
    QCOMPARE(form_->windowTitle(), title);
    QCOMPARE(form_->document().HasFileName(), bound);
    QVERIFY(form_->RichEdit1->modified());
    // Open went no further than the failed save.
    const bool opened = binding == Binding::PlainText || binding == Binding::PlainTextLinked;
    QCOMPARE(prompts_.openDialogNames.size(), opened ? 1 : 0);
    // The old file is whole and nothing new lies beside it or in the private copies' folder.
    if (fault == Fault_::TargetIsFolder) {
        QVERIFY(QFileInfo(target).isDir());
        QVERIFY(QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    } else if (fault == Fault_::MissingFolder) {
        QVERIFY(!QFileInfo::exists(folder));
    } else {
        QCOMPARE(readBytes(target), kOld);
        QCOMPARE(entries(folder), before);
    }
    QCOMPARE(entries(InPlaceWriter::backupFolder()), QStringList());
    ++cellsKept;

    // Once the disk is mended, the same file saves: a fault on the way leaves no state behind.
    if (command == Command::New && opened && mendable(fault)) {
        QVERIFY(Fault::failures() > 0);
        reported_.clear();
        run(Command::ExitMenu, target);
        QVERIFY2(reported_.isEmpty(), qPrintable(reported_.join('|')));
        QVERIFY(!form_->isVisible());
        const QByteArray written = readBytes(target);
        QVERIFY(written.startsWith(Cp1251::encode(u"Строка 0 текста документа\r\n")));
        QVERIFY(written.endsWith(Cp1251::encode(u"Строка 399 текста документа\r\n")));
    }
}

QTEST_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
