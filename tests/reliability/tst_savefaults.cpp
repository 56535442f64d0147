// Every way the program writes a file, against every fault a user's disk can throw at it: the
// error box names the fault, the old file stays whole, no stray file is left beside it, and the
// document keeps its title, binding and modified flag.
#include "Cp1251.h"
#include "Document.h"
#include "Errors.h"
#include "FaultInjection.h"
#include "FileBytes.h"
#include "RichEdit.h"
#include "ScriptedPrompts.h"
#include "Unprivileged.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <memory>

namespace {

// The ways a document reaches the disk.
enum class SavePath {
    SaveAs,         // "Сохранить...": RTF under a name asked for
    PromptUnbound,  // Yes to the question on a never-saved document: asks a name, plain text
    PromptBoundTxt, // Yes to the question after Open: plain text to the bound file
    PromptBoundRtf, // Yes to the question after "Сохранить...": RTF to the bound file
};

enum class Fault_ {
    NoPermission,   // the target is read-only
    ReadOnlyFolder, // the folder takes no new file
    TargetIsFolder,
    MissingFolder,
    DiskFull,    // a write fails half-way with ENOSPC
    SyncFails,   // flushing to the disk fails with EIO
    LinkFails,   // putting the new file in place fails with ENOSPC
    RenameFails, // replacing the old file fails with EIO
    NameTooLong,
};

const QByteArray kOld = "old line\r\n";

// A folder open to the unprivileged user the saves run as when the test runs as root.
constexpr QFileDevice::Permissions kOpenFolder = QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                 QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                 QFileDevice::WriteOther | QFileDevice::ExeOther;

bool isRtf(SavePath path) {
    return path == SavePath::SaveAs || path == SavePath::PromptBoundRtf;
}

// The plain I/O message of a fault.
QString ioMessage(Fault_ fault) {
    switch (fault) {
    case Fault_::NoPermission:
    case Fault_::ReadOnlyFolder:
    case Fault_::TargetIsFolder:
        return QStringLiteral("File access denied");
    case Fault_::MissingFolder:
        return QStringLiteral("File not found");
    case Fault_::NameTooLong:
        return QStringLiteral("Invalid filename");
    case Fault_::DiskFull:
    case Fault_::LinkFails:
        return QStringLiteral("I/O error 112");
    case Fault_::SyncFails:
    case Fault_::RenameFails:
        return QStringLiteral("I/O error 1117");
    }
    return {};
}

// Faults that strike before a byte is written: the RTF writer reports them as a file it cannot
// create.
bool strikesAtCreation(Fault_ fault) {
    return fault == Fault_::NoPermission || fault == Fault_::ReadOnlyFolder ||
           fault == Fault_::TargetIsFolder || fault == Fault_::MissingFolder ||
           fault == Fault_::NameTooLong;
}

QString expectedMessage(SavePath path, Fault_ fault, const QString& target) {
    if (!isRtf(path)) {
        return ioMessage(fault);
    }
    // A name too long for the folder is found only when the written file is put in place.
    if (strikesAtCreation(fault) && fault != Fault_::NameTooLong) {
        return QStringLiteral("Cannot create file \"%1\". %2")
            .arg(QDir::toNativeSeparators(target), ioMessage(fault));
    }
    return QStringLiteral("Failed to Save Stream");
}

} // namespace

class TestSaveFaults : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void faultKeepsOldFile_data();
    void faultKeepsOldFile();
    void saveWorksAgainAfterFault_data();
    void saveWorksAgainAfterFault();

private:
    // Binds the document as the save path needs and leaves it modified with a text longer than
    // the bytes a filling disk lets through.
    void prepare(SavePath path, const QString& target);
    // Runs the save of path through the handler wrapper; returns the reported message.
    QString save(SavePath path, const QString& target);
    // Breaks the disk as fault says.
    void inflict(Fault_ fault, const QString& target);

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RichEdit> editor_;
    std::unique_ptr<ScriptedPrompts> prompts_;
    std::unique_ptr<Document> document_;
    QStringList reported_;
};

void TestSaveFaults::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    QFile::setPermissions(dir_->path(), kOpenFolder);
    editor_ = std::make_unique<RichEdit>();
    prompts_ = std::make_unique<ScriptedPrompts>();
    document_ = std::make_unique<Document>(*editor_, *prompts_);
    document_->formShow();
    reported_.clear();
    setErrorReporter([this](const QString& message) { reported_.append(message); });
}

void TestSaveFaults::cleanup() {
    Fault::disarm();
    setErrorReporter(nullptr);
    document_.reset();
    prompts_.reset();
    editor_.reset();
    // Give the folder back to its owner so that it can be removed.
    if (dir_) {
        QFile::setPermissions(dir_->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
    }
    dir_.reset();
}

void TestSaveFaults::prepare(SavePath path, const QString& target) {
    QDir().mkpath(QFileInfo(target).path());
    QFile::setPermissions(QFileInfo(target).path(), kOpenFolder);
    writeBytes(target, kOld);
    QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                      QFileDevice::ReadOther | QFileDevice::WriteOther);
    if (path == SavePath::PromptBoundTxt) {
        prompts_->openAnswers = {target};
        runGuarded([this] { document_->open(); });
    } else if (path == SavePath::PromptBoundRtf) {
        prompts_->saveAnswers = {target};
        runGuarded([this] { document_->saveAs(); });
        writeBytes(target, kOld);
    }
    QVERIFY2(reported_.isEmpty(), qPrintable(reported_.join('|')));
    QString text;
    for (int i = 0; i < 400; ++i) {
        text += QStringLiteral("Строка %1 текста документа\n").arg(i);
    }
    editor_->setText(text);
    editor_->setModified(true);
}

void TestSaveFaults::inflict(Fault_ fault, const QString& target) {
    const QString folder = QFileInfo(target).path();
    switch (fault) {
    case Fault_::NoPermission:
        QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadOther);
        break;
    case Fault_::ReadOnlyFolder:
        QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                          QFileDevice::ReadOther | QFileDevice::ExeOther);
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
    case Fault_::DiskFull:
        Fault::arm(folder, Fault::Call::Write, ENOSPC, 1000);
        break;
    case Fault_::SyncFails:
        Fault::arm(folder, Fault::Call::Sync, EIO);
        break;
    case Fault_::LinkFails:
        Fault::arm(folder, Fault::Call::Link, ENOSPC);
        break;
    case Fault_::RenameFails:
        Fault::arm(folder, Fault::Call::Rename, EIO);
        break;
    }
}

QString TestSaveFaults::save(SavePath path, const QString& target) {
    reported_.clear();
    switch (path) {
    case SavePath::SaveAs:
        prompts_->saveAnswers = {target};
        runGuarded([this] { document_->saveAs(); });
        break;
    case SavePath::PromptUnbound:
        prompts_->saveAnswers = {target};
        [[fallthrough]];
    case SavePath::PromptBoundTxt:
    case SavePath::PromptBoundRtf:
        prompts_->answers = {mrYes};
        runGuarded([this] { QVERIFY(!document_->queryClose()); });
        break;
    }
    return reported_.value(0);
}

void TestSaveFaults::faultKeepsOldFile_data() {
    QTest::addColumn<SavePath>("path");
    QTest::addColumn<Fault_>("fault");
    const std::pair<SavePath, const char*> paths[] = {
        {SavePath::SaveAs, "save as"},
        {SavePath::PromptUnbound, "prompt save, name asked"},
        {SavePath::PromptBoundTxt, "prompt save, bound text"},
        {SavePath::PromptBoundRtf, "prompt save, bound rtf"},
    };
    const std::pair<Fault_, const char*> faults[] = {
        {Fault_::NoPermission, "no permission"},
        {Fault_::ReadOnlyFolder, "read-only folder"},
        {Fault_::TargetIsFolder, "target is folder"},
        {Fault_::MissingFolder, "missing folder"},
        {Fault_::NameTooLong, "name too long"},
        {Fault_::DiskFull, "disk full"},
        {Fault_::SyncFails, "sync fails"},
        {Fault_::LinkFails, "link fails"},
        {Fault_::RenameFails, "rename fails"},
    };
    for (const auto& [path, pathName] : paths) {
        for (const auto& [fault, faultName] : faults) {
            if (fault == Fault_::NameTooLong && path != SavePath::SaveAs &&
                path != SavePath::PromptUnbound) {
                continue; // a bound file has a name that worked
            }
            QTest::addRow("%s, %s", pathName, faultName) << path << fault;
        }
    }
}

void TestSaveFaults::faultKeepsOldFile() {
    QFETCH(SavePath, path);
    QFETCH(Fault_, fault);
    QString target = dir_->filePath(QStringLiteral("sub/doc.txt"));
    if (path == SavePath::SaveAs || path == SavePath::PromptBoundRtf) {
        target = dir_->filePath(QStringLiteral("sub/doc.rtf"));
    }
    QString saveName = target;
    if (fault == Fault_::NameTooLong) {
        saveName = dir_->filePath(QStringLiteral("sub/") + QString(300, QLatin1Char('x')));
    }
    prepare(path, target);
    const QString title = document_->title();
    const bool bound = document_->HasFileName();
    const QStringList entries =
        QDir(QFileInfo(target).path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);

    inflict(fault, target);
    QString message;
    {
        UnprivilegedScope user;
        if (!user.ok()) {
            QSKIP("running as root and cannot switch to the user nobody: permissions do not apply");
        }
        message = save(path, saveName);
    }
    Fault::disarm();
    QFile::setPermissions(QFileInfo(target).path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);

    QCOMPARE(message, expectedMessage(path, fault, saveName));
    QCOMPARE(errorBoxText(message), message + QLatin1Char('.'));
    // The old file is whole and nothing new lies beside it.
    if (fault == Fault_::TargetIsFolder) {
        QVERIFY(QFileInfo(target).isDir());
        QVERIFY(QDir(target).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    } else if (fault == Fault_::MissingFolder) {
        QVERIFY(!QFileInfo::exists(QFileInfo(target).path()));
    } else {
        QCOMPARE(readBytes(target), kOld);
        QCOMPARE(QDir(QFileInfo(target).path())
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 entries);
    }
    // The document is as it was: still to be saved.
    QCOMPARE(document_->title(), title);
    QCOMPARE(document_->HasFileName(), bound);
    QVERIFY(editor_->modified());
}

void TestSaveFaults::saveWorksAgainAfterFault_data() {
    QTest::addColumn<Fault_>("fault");
    QTest::newRow("disk full") << Fault_::DiskFull;
    QTest::newRow("sync fails") << Fault_::SyncFails;
    QTest::newRow("rename fails") << Fault_::RenameFails;
}

// Once the disk is mended, the same command saves: a fault leaves no state behind.
void TestSaveFaults::saveWorksAgainAfterFault() {
    QFETCH(Fault_, fault);
    const QString target = dir_->filePath(QStringLiteral("sub/doc.txt"));
    prepare(SavePath::PromptBoundTxt, target);
    inflict(fault, target);
    QVERIFY(!save(SavePath::PromptBoundTxt, target).isEmpty());
    QVERIFY(Fault::failures() > 0);
    Fault::disarm();
    prompts_->answers = {mrYes};
    reported_.clear();
    runGuarded([this] { QVERIFY(document_->queryClose()); });
    QVERIFY2(reported_.isEmpty(), qPrintable(reported_.join('|')));
    QVERIFY(!editor_->modified());
    const QByteArray written = readBytes(target);
    QVERIFY(written.startsWith(Cp1251::encode(u"Строка 0 текста документа\r\n")));
    QVERIFY(written.endsWith(Cp1251::encode(u"Строка 399 текста документа\r\n")));
}

QTEST_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
