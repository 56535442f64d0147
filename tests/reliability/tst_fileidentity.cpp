// A save through the main window keeps what the file is: its owner, group, mode, extended
// attributes and ACL, its other names and symbolic links, and it works for a writable file in a
// folder the user may not write to. Runs the save as an unprivileged user where that matters.
#include "Cp1251.h"
#include "ErrorCapture.h"
#include "FileBytes.h"
#include "PrivateCopy.h"
#include "RichEdit.h"
#include "ScriptedPrompts.h"
#include "TForm1.h"
#include "Unprivileged.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <optional>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

enum class Situation {
    ForeignOwner,   // the file belongs to another user, who let the saving user write it
    OwnerAndGroup,  // root saves a file of another user and group
    Mode,           // an unusual mode
    HardLinks,      // the file has a second name
    ReadOnlyFolder, // a writable file in a folder the saving user may not write to
    SymbolicLink,   // the document is opened through a symbolic link
    Acl,            // a POSIX ACL and a user attribute
};

constexpr uid_t kNobody = 65534;
constexpr uid_t kUndefined = 0xffffffff;

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

struct stat statOf(const QString& path) {
    struct stat st {};
    ::stat(native(path).constData(), &st);
    return st;
}

// An access ACL in the kernel's extended attribute form: the owner may read and write, the user
// nobody and the group may read, others nothing.
QByteArray aclValue() {
    QByteArray value;
    const auto add = [&value](quint16 tag, quint16 perm, quint32 id) {
        value.append(reinterpret_cast<const char*>(&tag), 2);
        value.append(reinterpret_cast<const char*>(&perm), 2);
        value.append(reinterpret_cast<const char*>(&id), 4);
    };
    const quint32 version = 2;
    value.append(reinterpret_cast<const char*>(&version), 4);
    add(0x01, 6, kUndefined); // owner
    add(0x02, 4, kNobody);    // the user nobody
    add(0x04, 4, kUndefined); // owning group
    add(0x10, 4, kUndefined); // mask
    add(0x20, 0, kUndefined); // others
    return value;
}

QByteArray attribute(const QString& path, const char* name) {
    QByteArray value(256, '\0');
    const ssize_t n = ::getxattr(native(path).constData(), name, value.data(), value.size());
    return n < 0 ? QByteArray("<none>") : value.left(n);
}

} // namespace

class TestFileIdentity : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void saveKeepsIdentity_data();
    void saveKeepsIdentity();

private:
    QTemporaryDir cache_;
};

void TestFileIdentity::initTestCase() {
    QFile::setPermissions(cache_.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                             QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                             QFileDevice::WriteOther | QFileDevice::ExeOther);
    qputenv("XDG_CACHE_HOME", native(cache_.path()));
}

void TestFileIdentity::saveKeepsIdentity_data() {
    QTest::addColumn<Situation>("situation");
    QTest::addColumn<bool>("unprivileged"); // the save runs as the user nobody
    QTest::addColumn<bool>("inPlace");      // the file must stay the same inode
    QTest::newRow("another user's file") << Situation::ForeignOwner << true << true;
    QTest::newRow("owner and group") << Situation::OwnerAndGroup << false << false;
    QTest::newRow("mode") << Situation::Mode << true << false;
    QTest::newRow("two hard links") << Situation::HardLinks << true << true;
    QTest::newRow("read-only folder") << Situation::ReadOnlyFolder << true << true;
    QTest::newRow("symbolic link") << Situation::SymbolicLink << true << false;
    QTest::newRow("ACL and attribute") << Situation::Acl << true << false;
}

void TestFileIdentity::saveKeepsIdentity() {
    QFETCH(Situation, situation);
    QFETCH(bool, unprivileged);
    QFETCH(bool, inPlace);
    if (::geteuid() != 0) {
        QSKIP("needs root to give files to another user");
    }
    QTemporaryDir dir;
    QVERIFY(::chmod(native(dir.path()).constData(), 0755) == 0); // open to the user nobody
    const QString folder = dir.filePath(QStringLiteral("folder"));
    QVERIFY(QDir().mkdir(folder));
    const QString file = folder + QStringLiteral("/doc.txt");
    writeBytes(file, "old\r\n");
    const uid_t saver = unprivileged ? kNobody : 0;
    // As a rule the saving user owns the file and may write in the folder.
    QVERIFY(::chown(native(folder).constData(), saver, saver) == 0);
    QVERIFY(::chown(native(file).constData(), saver, saver) == 0);
    QVERIFY(::chmod(native(file).constData(), 0644) == 0);
    QString opened = file;
    switch (situation) {
    case Situation::ForeignOwner:
        QVERIFY(::chown(native(file).constData(), 0, 0) == 0);
        QVERIFY(::chmod(native(file).constData(), 0666) == 0);
        break;
    case Situation::OwnerAndGroup:
        QVERIFY(::chown(native(file).constData(), kNobody, kNobody) == 0);
        break;
    case Situation::Mode:
        QVERIFY(::chmod(native(file).constData(), 0604) == 0);
        break;
    case Situation::HardLinks:
        QVERIFY(::link(native(file).constData(), native(dir.filePath("other name")).constData()) ==
                0);
        break;
    case Situation::ReadOnlyFolder:
        QVERIFY(::chown(native(folder).constData(), 0, 0) == 0);
        QVERIFY(::chmod(native(folder).constData(), 0755) == 0);
        break;
    case Situation::SymbolicLink:
        opened = dir.filePath(QStringLiteral("link.txt"));
        QVERIFY(QFile::link(file, opened));
        break;
    case Situation::Acl: {
        const QByteArray acl = aclValue();
        if (::setxattr(native(file).constData(), "system.posix_acl_access", acl.constData(),
                       acl.size(), 0) != 0) {
            QSKIP("the file system has no POSIX ACLs");
        }
        const QByteArray user = "kept";
        if (::setxattr(native(file).constData(), "user.zelto", user.constData(), user.size(), 0) !=
            0) {
            QSKIP("the file system has no user attributes");
        }
        break;
    }
    }
    const struct stat before = statOf(file);
    const QByteArray acl = attribute(file, "system.posix_acl_access");
    const QByteArray user = attribute(file, "user.zelto");

    ScriptedPrompts prompts;
    QStringList errors;
    ErrorCapture capture(errors);
    TForm1 form(prompts);
    form.show();
    {
        std::optional<UnprivilegedScope> scope;
        if (unprivileged) {
            scope.emplace();
        }
        if (scope && !scope->ok()) {
            QSKIP("cannot switch to the user nobody");
        }
        prompts.openAnswers = {opened};
        form.N6->trigger();
        form.RichEdit1->setText(QStringLiteral("новый текст"));
        form.RichEdit1->setModified(true);
        prompts.answers = {mrYes};
        form.N10->trigger(); // Exit, Yes: the save after the question
    }
    QVERIFY2(errors.isEmpty(), qPrintable(errors.join('|')));
    QVERIFY(!form.isVisible());

    const QByteArray written = Cp1251::encode(u"новый текст\r\n");
    QCOMPARE(readBytes(file), written);
    const struct stat after = statOf(file);
    QCOMPARE(after.st_uid, before.st_uid);
    QCOMPARE(after.st_gid, before.st_gid);
    QCOMPARE(after.st_mode, before.st_mode);
    QCOMPARE(after.st_nlink, before.st_nlink);
    if (inPlace) {
        QCOMPARE(after.st_ino, before.st_ino);
    }
    if (situation == Situation::HardLinks) {
        QCOMPARE(readBytes(dir.filePath("other name")), written);
    }
    if (situation == Situation::SymbolicLink) {
        QVERIFY(QFileInfo(opened).isSymLink());
    }
    QCOMPARE(attribute(file, "system.posix_acl_access"), acl);
    QCOMPARE(attribute(file, "user.zelto"), user);
    // No copy of the old contents is left behind, and nothing beside the file.
    QCOMPARE(QDir(PrivateCopy::folder()).entryList(QDir::Files | QDir::Hidden), QStringList());
    QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"doc.txt"});
}

QTEST_MAIN(TestFileIdentity)
#include "tst_fileidentity.moc"
