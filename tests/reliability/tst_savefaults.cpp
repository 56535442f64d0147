// Every command of the main window that writes or discards text, against every fault a user's
// disk can throw at a save: the error box names the fault, the window stays open with its text,
// title, binding and modified flag, the old file stays whole and nothing new lies beside it; once a
// passing fault is gone, the next save works. The cells tried and the cells that kept everything
// are counted at the end. Then the files that a save must write whole although the editor does
// not show all of them or their names are awkward.
#include "Cp1251.h"
#include "Document.h"
#include "ErrorCapture.h"
#include "Errors.h"
#include "FaultInjection.h"
#include "FileBytes.h"
#include "FileName.h"
#include "PrivateCopy.h"
#include "RichEdit.h"
#include "ScriptedPrompts.h"
#include "StartUp.h"
#include "TForm1.h"
#include "Unprivileged.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <set>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>
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
    AllocateFails, // no room can be reserved for a file written in place
    DiskKeptFull,  // a real small disk that another writer keeps full (needs root to mount)
    RestoreFails,  // a write in place fails, and so does putting the old bytes back
    TargetIsPipe,
    TargetIsDevice, // a symbolic link to /dev/null
    ChangedOnDisk,  // another program appended a line since the file was read or written
};

// Files a save must write whole, with all their bytes and under their own name.
enum class Awkward {
    CtrlZTail,   // a Ctrl-Z ends the text; the rest of the file is not shown
    LongName,    // 254 bytes: a temporary name made by adding to it would be too long
    NotUtf8Name, // Windows-1251 bytes, beside a file named with U+FFFD in their place
};

const QByteArray kOld = "old line\r\n";
const QByteArray kAppended = "added by another program\r\n";

bool writesRtf(Command command, Binding binding) {
    return command == Command::SaveAs || binding == Binding::Rtf;
}

// The plain I/O message of a fault.
QString ioMessage(Fault_ fault) {
    switch (fault) {
    case Fault_::NoPermission:
    case Fault_::TargetIsFolder:
        return QStringLiteral("File access denied");
    case Fault_::ReadOnlyFileSystem:
        return QStringLiteral("Read-only file system");
    case Fault_::MissingFolder:
    case Fault_::NameTooLong:
        return QStringLiteral("Invalid filename");
    case Fault_::TempCannotBeCreated:
    case Fault_::DiskFull:
    case Fault_::LinkFails:
    case Fault_::DiskTakesNoMore:
    case Fault_::AllocateFails:
    case Fault_::DiskKeptFull:
    case Fault_::RestoreFails:
        return QStringLiteral("Disk full");
    case Fault_::SyncFails:
    case Fault_::RenameFails:
        return QStringLiteral("I/O error 1117");
    case Fault_::TargetIsPipe:
    case Fault_::TargetIsDevice:
    case Fault_::ChangedOnDisk:
        break;
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

QStringList expectedMessages(bool rtf, Fault_ fault, const QString& target) {
    if (fault == Fault_::ChangedOnDisk) {
        return {}; // a question, answered Cancel
    }
    if (fault == Fault_::TargetIsPipe || fault == Fault_::TargetIsDevice) {
        // Refused before anything is written, in either format.
        return {
            QStringLiteral("«%1» — не обычный файл, а %2. Zelto открывает и сохраняет только "
                           "обычные файлы.")
                .arg(target, fault == Fault_::TargetIsPipe ? "именованный канал" : "устройство")};
    }
    if (!rtf) {
        return {ioMessage(fault)};
    }
    if (strikesAtCreation(fault)) {
        return {QStringLiteral("Cannot create file \"%1\". %2")
                    .arg(QDir::toNativeSeparators(target), ioMessage(fault))};
    }
    return {QStringLiteral("Failed to Save Stream")};
}

// Whether a fault can strike the save at all: a file written in place has no temporary file, only
// a file written in place reserves room and puts its old bytes back, only a name the user types
// can be too long, and only a bound file can have been changed since it was read or written.
bool applies(Binding binding, Fault_ fault) {
    if (binding == Binding::PlainTextLinked) {
        return fault != Fault_::TempCannotBeCreated && fault != Fault_::LinkFails &&
               fault != Fault_::RenameFails && fault != Fault_::TargetIsFolder &&
               fault != Fault_::MissingFolder && fault != Fault_::NameTooLong;
    }
    if (fault == Fault_::AllocateFails || fault == Fault_::RestoreFails) {
        return false;
    }
    if (fault == Fault_::ChangedOnDisk) {
        return binding != Binding::Never;
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

// Another program that keeps a disk full: it appends 4 KB at a time to a file of its own and, when
// the disk takes no more, tries again at once, taking every block that comes free.
class DiskFiller {
public:
    explicit DiskFiller(const QByteArray& file)
        : fd_(::open(file.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600)),
          thread_([this] { run(); }) {}
    ~DiskFiller() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    DiskFiller(const DiskFiller&) = delete;
    DiskFiller& operator=(const DiskFiller&) = delete;

    // Waits until the disk is full.
    bool waitFull() const {
        return QTest::qWaitFor([this] { return full_.load(); }, 10000);
    }

private:
    void run() {
        const QByteArray block(4096, 'f');
        while (!stop_ && fd_ >= 0) {
            if (::write(fd_, block.constData(), block.size()) < 0 && errno == ENOSPC) {
                full_ = true;
            }
        }
    }

    int fd_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> full_{false};
    std::thread thread_;
};

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
    void awkwardFileSavesWhole_data();
    void awkwardFileSavesWhole();

private:
    // Binds the document as binding says and leaves it modified with a text longer than the bytes
    // a filling disk lets through.
    void prepare(Binding binding, const QString& target);
    // Runs the command; a question is answered Yes and the save dialog gives saveName.
    void run(Command command, const QString& saveName);
    // Breaks the disk as fault says.
    void inflict(Fault_ fault, const QString& target);
    // Puts a small disk of its own at folder; false where mounting is not allowed.
    bool mountSmallDisk(const QString& folder);
    // Checks the private copy that a failed write in place left, then has the start offer it
    // back: the file is then whole again.
    void offerCopyBack(const QString& target, const QString& message);
    QStringList entries(const QString& folder) const {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // The private copies' folders: the test's own, and the unprivileged user's, as each user has
    // a cache folder of its own.
    QString ownCache() const { return cache_.path(); }
    QString userCache() const { return cache_.filePath(QStringLiteral("nobody")); }
    QTemporaryDir cache_;
    std::unique_ptr<QTemporaryDir> dir_;
    ScriptedPrompts prompts_;
    std::unique_ptr<TForm1> form_;
    QStringList reported_;
    std::unique_ptr<ErrorCapture> capture_;
    QByteArray old_; // the file's bytes before the command
    QByteArray mounted_;
    std::unique_ptr<DiskFiller> filler_;
};

void TestSaveFaults::initTestCase() {
    // The private copies of files written in place, where the unprivileged user may write.
    QFile::setPermissions(ownCache(), kFolder | QFileDevice::ExeOther);
    QVERIFY(QDir().mkpath(userCache()));
    if (::geteuid() == 0) {
        QCOMPARE(::chown(QFile::encodeName(userCache()).constData(), 65534, 65534), 0);
    }
}

void TestSaveFaults::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QFile::setPermissions(dir_->path(), kFolder);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(ownCache()));
    prompts_ = ScriptedPrompts();
    form_ = std::make_unique<TForm1>(prompts_);
    form_->show();
    reported_.clear();
    capture_ = std::make_unique<ErrorCapture>(reported_);
}

void TestSaveFaults::cleanup() {
    Fault::disarm();
    filler_.reset();
    capture_.reset();
    form_.reset();
    if (!mounted_.isEmpty()) {
        ::umount2(mounted_.constData(), MNT_DETACH);
        mounted_.clear();
    }
    // Names that are not UTF-8 too, which Qt's own classes do not see.
    std::filesystem::remove_all(QFile::encodeName(dir_->path()).toStdString());
    dir_.reset();
}

bool TestSaveFaults::mountSmallDisk(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (!QDir().mkpath(folder) ||
        ::mount("tmpfs", path.constData(), "tmpfs", 0, "size=256k,mode=0755") != 0) {
        return false;
    }
    mounted_ = path;
    return true;
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
    writeBytes(target, kOld);
    QFile::setPermissions(target, kFile);
    giveAway(target);
    if (binding == Binding::Rtf) {
        prompts_.saveAnswers = {target};
        form_->N7->trigger();
    }
    if (binding == Binding::PlainText || binding == Binding::PlainTextLinked) {
        prompts_.openAnswers = {target};
        form_->N6->trigger();
    }
    if (binding == Binding::PlainTextLinked) {
        const QByteArray second = QFile::encodeName(folder + QStringLiteral("/second name"));
        QVERIFY(::link(QFile::encodeName(target).constData(), second.constData()) == 0);
    }
    QVERIFY2(reported_.isEmpty(), qPrintable(reported_.join('|')));
    old_ = readBytes(target);
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
    case Fault_::AllocateFails:
        Fault::arm(folder, Fault::Call::Allocate, ENOSPC);
        break;
    case Fault_::DiskKeptFull:
        filler_ =
            std::make_unique<DiskFiller>(QFile::encodeName(folder + QStringLiteral("/filler")));
        QVERIFY(filler_->waitFull());
        break;
    case Fault_::RestoreFails:
        Fault::arm(folder, Fault::Call::Write, ENOSPC, 1000);
        break;
    case Fault_::TargetIsPipe:
        QFile::remove(target);
        QVERIFY(::mkfifo(QFile::encodeName(target).constData(), 0666) == 0);
        break;
    case Fault_::TargetIsDevice:
        QFile::remove(target);
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), target));
        break;
    case Fault_::ChangedOnDisk: {
        // Another program appends a line: the file keeps its name and inode.
        QProcess writer;
        writer.start(QStringLiteral("sh"),
                     {QStringLiteral("-c"), QStringLiteral("printf '%s' \"$2\" >> \"$1\""),
                      QStringLiteral("sh"), target, QString::fromLatin1(kAppended)});
        QVERIFY(writer.waitForFinished(10000));
        QCOMPARE(writer.exitCode(), 0);
        break;
    }
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
        {Fault_::AllocateFails, "no room can be reserved"},
        {Fault_::DiskKeptFull, "small disk kept full by another writer"},
        {Fault_::RestoreFails, "write and restore fail"},
        {Fault_::TargetIsPipe, "target is a pipe"},
        {Fault_::TargetIsDevice, "target is a link to a device"},
        {Fault_::ChangedOnDisk, "changed by another program"},
    };
    for (const auto& [fault, faultName] : faults) {
        if (applies(Binding::Never, fault)) {
            QTest::addRow("Save as RTF, %s", faultName)
                << Command::SaveAs << Binding::Never << fault;
        }
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
    const QString folder = QFileInfo(target).path();
    if (fault == Fault_::DiskKeptFull && !mountSmallDisk(folder)) {
        QSKIP("a small disk of its own needs the right to mount one (root)");
    }
    prepare(binding, target);
    const QString text = form_->RichEdit1->text();
    const QString title = form_->windowTitle();
    const bool bound = form_->document().HasFileName();
    QStringList before = entries(folder);
    if (fault == Fault_::DiskKeptFull) {
        before = QStringList{before << QStringLiteral("filler")};
        before.sort();
    }

    inflict(fault, target);
    qputenv("XDG_CACHE_HOME", QFile::encodeName(userCache()));
    {
        UnprivilegedScope user;
        if (!user.ok()) {
            QSKIP("running as root and cannot switch to the user nobody: permissions do not apply");
        }
        reported_.clear();
        prompts_.questions.clear();
        run(command, saveName);
    }
    Fault::disarm();
    filler_.reset();

    if (fault == Fault_::RestoreFails) {
        QCOMPARE(reported_.size(), 1);
        const UnprivilegedScope user; // the same user's next start
        offerCopyBack(target, reported_.constFirst());
    } else {
        QCOMPARE(reported_, expectedMessages(rtf, fault, saveName));
    }
    // Yes to the save, then only where a changed file is found the question before overwriting.
    QStringList questions;
    if (command != Command::SaveAs) {
        questions << Document::kSaveQuestion;
    }
    if (fault == Fault_::ChangedOnDisk) {
        questions << Document::kChangedQuestion.arg(QFileInfo(target).fileName());
    }
    QCOMPARE(prompts_.questions, questions);
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
    } else if (fault == Fault_::TargetIsPipe) {
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(target).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    } else if (fault == Fault_::TargetIsDevice) {
        QCOMPARE(QFileInfo(target).symLinkTarget(), QStringLiteral("/dev/null"));
        struct stat st {};
        QVERIFY(::stat("/dev/null", &st) == 0 && S_ISCHR(st.st_mode));
    } else {
        QCOMPARE(readBytes(target), fault == Fault_::ChangedOnDisk ? old_ + kAppended : old_);
        QCOMPARE(entries(folder), before);
    }
    QCOMPARE(entries(PrivateCopy::folder()), QStringList());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(ownCache()));
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

void TestSaveFaults::offerCopyBack(const QString& target, const QString& message) {
    // The file is neither version whole; the copy, named in the message, holds the old one.
    QVERIFY(readBytes(target) != old_);
    const QStringList kept = QDir(PrivateCopy::folder()).entryList(QDir::Files);
    QCOMPARE(kept.size(), 2); // the copy and its record
    const QString copy = QDir(PrivateCopy::folder()).filePath(kept.constFirst());
    QCOMPARE(readBytes(copy), old_);
    QVERIFY2(message.startsWith(QStringLiteral("Disk full.\n")) && message.contains(copy),
             qPrintable(message));
    // The next start finds it and, at Yes, puts it back.
    prompts_.answers = {mrYes};
    showMainWindow(*form_, prompts_, {QStringLiteral("zelto")});
    QTRY_COMPARE(prompts_.questions.size(), 2);
    QVERIFY(prompts_.questions.takeLast().contains(copy));
    QCOMPARE(readBytes(target), old_);
}

void TestSaveFaults::awkwardFileSavesWhole_data() {
    QTest::addColumn<Awkward>("file");
    QTest::addColumn<Binding>("binding");
    const std::pair<Awkward, const char*> files[] = {
        {Awkward::CtrlZTail, "text ended by a Ctrl-Z"},
        {Awkward::LongName, "name of 254 bytes"},
        {Awkward::NotUtf8Name, "name in Windows-1251"}};
    const std::pair<Binding, const char*> bindings[] = {
        {Binding::PlainText, "bound as text"},
        {Binding::PlainTextLinked, "bound as text, two links"},
        {Binding::Rtf, "bound as RTF"}};
    for (const auto& [file, fileName] : files) {
        for (const auto& [binding, bindingName] : bindings) {
            if (file != Awkward::CtrlZTail || binding != Binding::Rtf) {
                QTest::addRow("%s, %s", fileName, bindingName) << file << binding;
            }
        }
    }
}

void TestSaveFaults::awkwardFileSavesWhole() {
    QFETCH(Awkward, file);
    QFETCH(Binding, binding);
    const QByteArray folder = QFile::encodeName(dir_->path());
    QByteArray name = "doc.txt";
    QString shown = QStringLiteral("doc.txt");
    if (file == Awkward::LongName) {
        name = QByteArray(250, 'x') + ".txt";
        shown = QString::fromLatin1(name);
    } else if (file == Awkward::NotUtf8Name) {
        name = "\xcf\xe8\xf1\xfc\xec\xee.txt";
        shown = QStringLiteral("Письмо.txt");
        // What Qt's own file classes would take the name for: another file.
        writeNative(folder + '/' + QString(6, QChar::ReplacementCharacter).toUtf8() + ".txt",
                    "twin\r\n");
    }
    const QByteArray native = folder + '/' + name;
    const QString target = FileName::decode(native);
    const QByteArray unread = file == Awkward::CtrlZTail
                                  ? QByteArray("\x1a"
                                               "after the mark\r\n\0\xff\x1a\r\n",
                                               21)
                                  : QByteArray();
    writeNative(native, "first line\r\nsecond line\r\n" + unread);

    if (binding == Binding::Rtf) {
        prompts_.saveAnswers = {target};
        form_->N7->trigger();
    } else if (file == Awkward::NotUtf8Name) {
        // Named on the command line, the only way such a name reaches the program.
        showMainWindow(*form_, prompts_, {QStringLiteral("zelto"), target});
        QTRY_VERIFY(form_->document().HasFileName());
        QCOMPARE(form_->RichEdit1->text(), QStringLiteral("first line\r\nsecond line\r\n"));
    } else {
        prompts_.openAnswers = {target};
        form_->N6->trigger();
    }
    if (binding == Binding::PlainTextLinked) {
        QVERIFY(::link(native.constData(), folder + "/second name") == 0);
    }
    QVERIFY2(reported_.isEmpty(), qPrintable(reported_.join('|')));
    QCOMPARE(form_->windowTitle(), Document::TitlePrefix + shown);
    // The one notice of a file the editor does not show whole, naming the line of the Ctrl-Z.
    QCOMPARE(prompts_.questions,
             unread.isEmpty()
                 ? QStringList()
                 : QStringList{Document::kUnreadNotice.arg(shown, QStringLiteral("3"))});

    form_->RichEdit1->setText(QStringLiteral("new text\nsecond\n"));
    form_->RichEdit1->setModified(true);
    run(Command::ExitMenu, target);
    QVERIFY2(reported_.isEmpty(), qPrintable(reported_.join('|')));
    QVERIFY(!form_->isVisible());
    const QByteArray written = readNative(native);
    if (binding == Binding::Rtf) {
        QVERIFY(written.startsWith("{\\rtf1"));
    } else {
        QCOMPARE(written, "new text\r\nsecond\r\n" + unread);
    }
    if (binding == Binding::PlainTextLinked) {
        QCOMPARE(readNative(folder + "/second name"), written);
    }
    if (file == Awkward::NotUtf8Name) {
        QCOMPARE(
            readNative(folder + '/' + QString(6, QChar::ReplacementCharacter).toUtf8() + ".txt"),
            QByteArray("twin\r\n"));
    }
    QCOMPARE(entries(PrivateCopy::folder()), QStringList());
    // Nothing else lies beside it: no temporary file left, none with a name cut wrongly.
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.toStdString())) {
        names.insert(entry.path().filename());
    }
    std::set<std::string> expected{name.toStdString()};
    if (binding == Binding::PlainTextLinked) {
        expected.insert("second name");
    }
    if (file == Awkward::NotUtf8Name) {
        expected.insert((QString(6, QChar::ReplacementCharacter) + ".txt").toStdString());
    }
    QCOMPARE(names, expected);
}

QTEST_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
