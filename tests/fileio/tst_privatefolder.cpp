// The private folders of recovery records and private copies: which folders are made, used or
// refused; which files in them are ever touched; which copies a killed save left are offered back.
#include "Errors.h"
#include "FileBytes.h"
#include "PrivateCopy.h"
#include "PrivateFolder.h"
#include "Progress.h"

#include <QDir>
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

mode_t modeOf(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

bool chownToOther(const QByteArray& path) {
    return ::lchown(path.constData(), kOtherUser, kOtherUser) == 0;
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
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestPrivateFolder::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(at("cache")));
}

void TestPrivateFolder::cleanup() {
    // Names that are not UTF-8, which Qt cannot spell, go one by one, so that the folder can go.
    for (const QString& folder : {dir_->path(), PrivateCopy::folder()}) {
        for (const QByteArray& name : contents(folder).keys()) {
            ::unlink((QFile::encodeName(folder) + '/' + name).constData());
        }
    }
}

void TestPrivateFolder::folderMadeUsedOrRefused_data() {
    QTest::addColumn<QString>("place"); // what is there: nothing, a folder of that mode, ...
    QTest::addColumn<int>("umask");
    QTest::addColumn<QString>("refusal"); // empty when the folder is used
    QTest::newRow("missing with its parents") << "" << 022 << "";
    QTest::newRow("missing, umask 000") << "" << 0 << "";
    QTest::newRow("missing, umask 777") << "" << 0777 << "";
    QTest::newRow("XDG base whose parent is missing") << "xdg" << 0 << "";
    QTest::newRow("the user's own, readable by all") << "755" << 022 << "";
    QTest::newRow("a symbolic link") << "link" << 022 << "символическая ссылка";
    QTest::newRow("another user's") << "other" << 022 << "другому пользователю";
    QTest::newRow("writable by all") << "777" << 022 << "могут писать другие";
    QTest::newRow("writable by the group") << "770" << 022 << "могут писать другие";
    QTest::newRow("a file") << "file" << 022 << "Invalid filename";
}

void TestPrivateFolder::folderMadeUsedOrRefused() {
    QFETCH(QString, place);
    QFETCH(int, umask);
    QFETCH(QString, refusal);
    QString path = at("a/b/zelto");
    QStringList made{at("a"), at("a/b"), path}; // the folders that must be made, 0700
    PrivateFolder folder(path, dir_->path());
    const QByteArray native = QFile::encodeName(path);
    QVERIFY(QDir().mkpath(at("notes")));
    if (place != "" && place != "xdg") {
        QVERIFY(QDir().mkpath(at("a/b")));
    }
    if (place == "xdg") {
        qputenv("ZELTO_TEST_BASE", QFile::encodeName(at("x/y/state")));
        folder = PrivateFolder::ofXdg("ZELTO_TEST_BASE", ".none", "zelto/recovery");
        path = at("x/y/state/zelto/recovery");
        made = QStringList{at("x"), at("x/y"), at("x/y/state"), at("x/y/state/zelto"), path};
    } else if (place == "link") {
        // The user's other folder, whose files, hidden or named as records, must all stay.
        writeBytes(at("notes/.hidden"), "hidden");
        writeBytes(at("notes/1-0123abcd.unreadable"), "named as a record");
        QVERIFY(QFile::link(at("notes"), path));
    } else if (place == "file") {
        writeBytes(path, "a file");
    } else if (!place.isEmpty()) {
        made = QStringList{path};
        QVERIFY(QDir().mkpath(path));
        QCOMPARE(::chmod(native.constData(), place == "other" ? 0700 : place.toUInt(nullptr, 8)),
                 0);
        writeBytes(path + "/1-0123abcd.zrec", "planted");
        if (place == "other" && !chownToOther(native)) {
            QSKIP("giving a folder to another user needs root");
        }
    }
    const mode_t modeBefore = modeOf(path);
    const QMap<QByteArray, QByteArray> notesBefore = contents(at("notes"));
    const QMap<QByteArray, QByteArray> before = contents(path);
    QString message;
    const mode_t umaskBefore = ::umask(umask);
    try {
        QCOMPARE(folder.open()->path(), path);
    } catch (const InOutError& e) {
        message = e.message();
    }
    ::umask(umaskBefore);
    if (refusal.isEmpty()) {
        QVERIFY2(message.isEmpty(), qPrintable(message));
        QVERIFY(folder.openExisting() != nullptr);
        for (const QString& each : made) {
            QCOMPARE(modeOf(each), mode_t(S_IRWXU));
        }
        return;
    }
    // Said with the folder's name; nothing in it or behind it touched or re-moded.
    QVERIFY2(message.contains(refusal) && (place == "file" || message.contains(path)),
             qPrintable(message));
    QVERIFY(folder.openExisting() == nullptr);
    QCOMPARE(modeOf(path), modeBefore);
    QCOMPARE(contents(path), before);
    QCOMPARE(contents(at("notes")), notesBefore);
    QCOMPARE(modeOf(at("notes")), mode_t(0755));
}

void TestPrivateFolder::onlyTheUsersOwnFilesAreRemoved_data() {
    QTest::addColumn<QString>("entry"); // how a file named as a record differs from one
    QTest::addColumn<bool>("removed");
    QTest::newRow("the user's own") << "own" << true;
    QTest::newRow("a link to another file") << "link" << false;
    QTest::newRow("a hard link of another file") << "hardlink" << false;
    QTest::newRow("another user's") << "other" << false;
    QTest::newRow("a pipe") << "pipe" << false;
    QTest::newRow("held by a running editor") << "locked" << false;
}

void TestPrivateFolder::onlyTheUsersOwnFilesAreRemoved() {
    QFETCH(QString, entry);
    QFETCH(bool, removed);
    const QString path = at("own");
    const std::shared_ptr<const OpenFolder> folder = PrivateFolder(path, dir_->path()).open();
    const QString elsewhere = at("elsewhere");
    writeBytes(elsewhere, "the user's other file");
    const QString name = path + "/1-0123abcd.zrec";
    const QByteArray native = QFile::encodeName(name);
    int held = -1;
    if (entry == "link") {
        QVERIFY(QFile::link(elsewhere, name));
    } else if (entry == "hardlink") {
        QCOMPARE(::link(QFile::encodeName(elsewhere), native), 0);
    } else if (entry == "pipe") {
        QCOMPARE(::mkfifo(native, 0600), 0);
    } else {
        writeBytes(name, "a record");
        if (entry == "other" && !chownToOther(native)) {
            QSKIP("giving a file to another user needs root");
        }
        if (entry == "locked") {
            held = ::open(native, O_RDONLY | O_CLOEXEC); // NOLINT(*-vararg)
            QCOMPARE(::flock(held, LOCK_EX), 0);
        }
    }
    folder->removeExpired([](QByteArrayView n) { return n.endsWith(".zrec"); },
                          [](const struct stat&, qint64) { return false; });
    if (held >= 0) {
        ::close(held);
    }
    struct stat st {};
    QCOMPARE(::lstat(native, &st) != 0, removed);
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
    for (const QByteArray& file : files) {
        const QByteArray native = QFile::encodeName(folder) + '/' + file;
        if (change == "other" && !chownToOther(native)) {
            QSKIP("giving a file to another user needs root");
        }
        if (change == "hardlink") {
            QCOMPARE(::link(native, QFile::encodeName(dir_->path()) + '/' + file), 0);
        }
    }
    if (change == "link") {
        QVERIFY(QDir().rename(folder, at("notes")) && QFile::link(at("notes"), folder));
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
