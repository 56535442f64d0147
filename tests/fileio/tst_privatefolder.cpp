// The private folders of recovery records and private copies: which folders are made, used or
// refused; which files in them are ever touched; which copies a killed save left are offered back.
#include "Errors.h"
#include "FileBytes.h"
#include "PrivateCopy.h"
#include "PrivateFolder.h"
#include "Progress.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uid_t kOtherUser = 65534;

// What is in the private folder's place before it is opened.
enum class Place {
    Missing,       // the folder and two parents
    MissingUmask0, // the same, made with umask 000
    MissingUmask777,
    XdgBaseMissing, // $XDG_..._HOME names a folder whose parent does not exist
    OwnReadable,    // the user's own, 0755
    Link,           // a symbolic link to another folder of the user's
    OtherUsers,     // owned by another user
    WorldWritable,
    GroupWritable,
    File,
};

// How a file in a private folder, named as the folder's own files are, differs from one of them.
enum class Entry { Own, Link, HardLink, OtherUsers, Pipe, Locked };

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool chownToOther(const QString& path) {
    return ::lchown(QFile::encodeName(path).constData(), kOtherUser, kOtherUser) == 0;
}

// The files a folder holds, by their names as the system's bytes, with their bytes.
QMap<QByteArray, QByteArray> contents(const QString& folder) {
    QMap<QByteArray, QByteArray> all;
    const QByteArray native = QFile::encodeName(folder);
    if (DIR* dir = ::opendir(native.constData())) {
        while (const dirent* entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name != "." && name != "..") {
                all[name] = readNative(native + '/' + name);
            }
        }
        ::closedir(dir);
    }
    return all;
}

} // namespace

class TestPrivateFolder : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void folderMadeUsedOrRefused_data();
    void folderMadeUsedOrRefused();
    void onlyTheUsersOwnFilesAreRemoved_data();
    void onlyTheUsersOwnFilesAreRemoved();
    void copyLeftBehindOfferedOnlyWhenOwn_data();
    void copyLeftBehindOfferedOnlyWhenOwn();

private:
    QString at(const QString& name) const { return dir_->filePath(name); }
    // A file of notes that must outlive whatever is done to the folder.
    void makeNotes() {
        QVERIFY(QDir().mkpath(at("notes")));
        QCOMPARE(::chmod(QFile::encodeName(at("notes")).constData(), 0755), 0);
        writeBytes(at("notes/.hidden"), "hidden");
        writeBytes(at("notes/1-0123abcd.unreadable"), "named as a record");
    }

    std::unique_ptr<QTemporaryDir> dir_;
};

void TestPrivateFolder::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(at("cache")));
}

void TestPrivateFolder::cleanup() {
    // What was given to another user comes back, and names that are not UTF-8, which Qt cannot
    // name, go one by one, so that the folder can go.
    QDirIterator it(dir_->path(), QDir::AllEntries | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        ::lchown(QFile::encodeName(it.next()).constData(), ::getuid(), ::getgid());
    }
    for (const QString& folder : {dir_->path(), PrivateCopy::folder()}) {
        for (const QByteArray& name : contents(folder).keys()) {
            ::unlink((QFile::encodeName(folder) + '/' + name).constData());
        }
    }
}

void TestPrivateFolder::folderMadeUsedOrRefused_data() {
    QTest::addColumn<Place>("place");
    QTest::addColumn<QString>("refusal"); // empty when the folder is used
    QTest::newRow("missing with its parents") << Place::Missing << "";
    QTest::newRow("missing, umask 000") << Place::MissingUmask0 << "";
    QTest::newRow("missing, umask 777") << Place::MissingUmask777 << "";
    QTest::newRow("XDG base whose parent is missing") << Place::XdgBaseMissing << "";
    QTest::newRow("the user's own, readable by all") << Place::OwnReadable << "";
    QTest::newRow("a symbolic link") << Place::Link << "символическая ссылка";
    QTest::newRow("another user's") << Place::OtherUsers << "другому пользователю";
    QTest::newRow("writable by all") << Place::WorldWritable << "могут писать другие";
    QTest::newRow("writable by the group") << Place::GroupWritable << "могут писать другие";
    QTest::newRow("a file") << Place::File << "Invalid filename";
}

void TestPrivateFolder::folderMadeUsedOrRefused() {
    QFETCH(Place, place);
    QFETCH(QString, refusal);
    QString path = at("a/b/zelto");
    QStringList made{at("a"), at("a/b"), path}; // the folders that must be made, 0700
    PrivateFolder folder(path, dir_->path());
    const mode_t umaskBefore = ::umask(place == Place::MissingUmask0     ? 0
                                       : place == Place::MissingUmask777 ? 0777
                                                                         : 022);
    switch (place) {
    case Place::XdgBaseMissing:
        qputenv("ZELTO_TEST_BASE", QFile::encodeName(at("x/y/state")));
        folder = PrivateFolder::ofXdg("ZELTO_TEST_BASE", QStringLiteral(".none"),
                                      QStringLiteral("zelto/recovery"));
        path = at("x/y/state/zelto/recovery");
        made = QStringList{at("x"), at("x/y"), at("x/y/state"), at("x/y/state/zelto"), path};
        break;
    case Place::OwnReadable:
        made.clear();
        QVERIFY(QDir().mkpath(path));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), 0755), 0);
        break;
    case Place::Link:
        makeNotes();
        QVERIFY(QDir().mkpath(at("a/b")));
        QVERIFY(QFile::link(at("notes"), path));
        break;
    case Place::OtherUsers:
    case Place::WorldWritable:
    case Place::GroupWritable:
        QVERIFY(QDir().mkpath(path));
        ::chmod(QFile::encodeName(path).constData(), place == Place::WorldWritable   ? 0777
                                                     : place == Place::GroupWritable ? 0770
                                                                                     : 0700);
        if (place == Place::OtherUsers && !chownToOther(path)) {
            ::umask(umaskBefore);
            QSKIP("giving a folder to another user needs root");
        }
        writeBytes(path + "/1-0123abcd.zrec", "planted");
        break;
    case Place::File:
        QVERIFY(QDir().mkpath(at("a/b")));
        writeBytes(path, "a file");
        break;
    default:
        break;
    }
    const mode_t modeBefore = modeOf(path);
    const QMap<QByteArray, QByteArray> notesBefore = contents(at("notes"));
    const QMap<QByteArray, QByteArray> before = contents(path);
    QString message;
    try {
        const std::shared_ptr<const OpenFolder> open = folder.open();
        QCOMPARE(open->path(), path);
    } catch (const InOutError& e) {
        message = e.message();
    }
    ::umask(umaskBefore);
    if (refusal.isEmpty()) {
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QVERIFY(folder.openExisting() != nullptr);
        made << path;
        for (const QString& each : made) {
            QCOMPARE(modeOf(each), mode_t(S_IRWXU));
        }
        return;
    }
    // Said once, with the folder's name; nothing in it or behind it touched or re-moded.
    QVERIFY2(message.contains(refusal), qPrintable(message));
    if (place != Place::File) {
        QVERIFY2(message.contains(path), qPrintable(message));
    }
    QVERIFY(folder.openExisting() == nullptr);
    QCOMPARE(modeOf(path), modeBefore);
    QCOMPARE(contents(path), before);
    QCOMPARE(contents(at("notes")), notesBefore);
    QCOMPARE(modeOf(at("notes")), place == Place::Link ? mode_t(0755) : mode_t(0));
}

void TestPrivateFolder::onlyTheUsersOwnFilesAreRemoved_data() {
    QTest::addColumn<Entry>("entry");
    QTest::addColumn<bool>("removed");
    QTest::newRow("the user's own") << Entry::Own << true;
    QTest::newRow("a link to another file") << Entry::Link << false;
    QTest::newRow("a hard link of another file") << Entry::HardLink << false;
    QTest::newRow("another user's") << Entry::OtherUsers << false;
    QTest::newRow("a pipe") << Entry::Pipe << false;
    QTest::newRow("held by a running editor") << Entry::Locked << false;
}

void TestPrivateFolder::onlyTheUsersOwnFilesAreRemoved() {
    QFETCH(Entry, entry);
    QFETCH(bool, removed);
    const QString path = at("own");
    const std::shared_ptr<const OpenFolder> folder = PrivateFolder(path, dir_->path()).open();
    const QString elsewhere = at("elsewhere");
    writeBytes(elsewhere, "the user's other file");
    const QString name = path + "/1-0123abcd.zrec";
    const QByteArray native = QFile::encodeName(name);
    int held = -1;
    switch (entry) {
    case Entry::Link:
        QVERIFY(QFile::link(elsewhere, name));
        break;
    case Entry::HardLink:
        QCOMPARE(::link(QFile::encodeName(elsewhere).constData(), native.constData()), 0);
        break;
    case Entry::Pipe:
        QCOMPARE(::mkfifo(native.constData(), 0600), 0);
        break;
    default:
        writeBytes(name, "a record");
        if (entry == Entry::OtherUsers && !chownToOther(name)) {
            QSKIP("giving a file to another user needs root");
        }
        if (entry == Entry::Locked) {
            held = ::open(native.constData(), O_RDONLY | O_CLOEXEC); // NOLINT(*-vararg)
            QCOMPARE(::flock(held, LOCK_EX), 0);
        }
    }
    folder->removeExpired([](QByteArrayView n) { return n.endsWith(".zrec"); },
                          [](const struct stat&, qint64) { return false; });
    if (held >= 0) {
        ::close(held);
    }
    struct stat st {};
    QCOMPARE(::lstat(native.constData(), &st) != 0, removed);
    QCOMPARE(readBytes(elsewhere), QByteArray("the user's other file"));
}

void TestPrivateFolder::copyLeftBehindOfferedOnlyWhenOwn_data() {
    QTest::addColumn<QByteArray>("name"); // of the file saved in place
    QTest::addColumn<QString>("change");  // done to the copy and its record after the save
    QTest::addColumn<bool>("offered");
    const QByteArray cp1251 = "\xcf\xf0\xe8\xe2\xe5\xf2.txt";
    QTest::newRow("a torn save") << QByteArray("file.txt") << "" << true;
    QTest::newRow("a torn save, a name not UTF-8") << cp1251 << "" << true;
    QTest::newRow("another user's copy and record") << QByteArray("file.txt") << "other" << false;
    QTest::newRow("a copy hard-linked elsewhere") << QByteArray("file.txt") << "hardlink" << false;
    QTest::newRow("the folder a link") << QByteArray("file.txt") << "link" << false;
}

void TestPrivateFolder::copyLeftBehindOfferedOnlyWhenOwn() {
    QFETCH(QByteArray, name);
    QFETCH(QString, change);
    QFETCH(bool, offered);
    const QByteArray target = QFile::encodeName(dir_->path()) + '/' + name;
    writeNative(target, "old bytes");
    {
        const int fd = ::open(target.constData(), O_RDWR | O_CLOEXEC); // NOLINT(*-vararg)
        const PrivateCopy copy(target, fd, NullProgress::instance());
        ::close(fd);
    }
    writeNative(target, "torn"); // the save killed half-way
    const QString folder = PrivateCopy::folder();
    const QList<QByteArray> files = contents(folder).keys();
    QCOMPARE(files.size(), 2);
    const QByteArray nativeFolder = QFile::encodeName(folder) + '/';
    if (change == "other") {
        for (const QByteArray& file : files) {
            if (::lchown((nativeFolder + file).constData(), kOtherUser, kOtherUser) != 0) {
                QSKIP("giving a file to another user needs root");
            }
        }
    } else if (change == "hardlink") {
        for (const QByteArray& file : files) {
            QCOMPARE(::link((nativeFolder + file).constData(),
                            (QFile::encodeName(dir_->path()) + '/' + file).constData()),
                     0);
        }
    } else if (change == "link") {
        QVERIFY(QDir().rename(folder, at("notes")));
        QVERIFY(QFile::link(at("notes"), folder));
    }
    const QMap<QByteArray, QByteArray> before = contents(folder);
    const auto copies = PrivateCopy::leftBehind();
    QCOMPARE(copies.size(), size_t(offered ? 1 : 0));
    if (offered) {
        QCOMPARE(copies[0]->target(), target);
        QByteArray back;
        copies[0]->read([&back](QByteArrayView bytes) { back += bytes; });
        QCOMPARE(back, QByteArray("old bytes"));
        return;
    }
    // Neither offered nor removed: what is not the user's own stays as it was.
    QCOMPARE(contents(folder), before);
    QCOMPARE(readNative(target), QByteArray("torn"));
}

QTEST_GUILESS_MAIN(TestPrivateFolder)
#include "tst_privatefolder.moc"
