// The disk model against calls written by hand: which states a power cut may leave, and which it
// may not.
#include "DiskModel.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <set>
#include <sys/stat.h>

using Calls = std::vector<Call>;
using Contents = std::set<QByteArray>; // "-" for a missing file

class TestDiskModel : public QObject {
    Q_OBJECT

private slots:
    void statesOfAFile_data();
    void statesOfAFile();
};

namespace {

Call call(char kind, quint64 ino, const QString& path = {}, qint64 offset = 0,
          const QByteArray& data = {}) {
    Call c;
    c.kind = kind;
    c.ino = ino;
    c.path = path;
    c.offset = offset;
    c.data = data;
    c.created = kind == 'O';
    return c;
}

} // namespace

void TestDiskModel::statesOfAFile_data() {
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<Contents>("contents");
    const QByteArray a(4096, 'a');
    const QByteArray b(4096, 'b');
    // Paths are relative to the root; inode 900 is a file made by the calls, 1 the root folder.
    QTest::newRow("synced write and folder: kept")
        << Calls{call('O', 900, "f"), call('W', 900, {}, 0, "xy"), call('F', 900), call('F', 1)}
        << Contents{"xy"};
    QTest::newRow("synced write, folder not synced: the name may be lost")
        << Calls{call('O', 900, "f"), call('W', 900, {}, 0, "xy"), call('F', 900)}
        << Contents{"-", "xy"};
    QTest::newRow("unsynced write: lost, torn or whole")
        << Calls{call('O', 900, "f"), call('F', 1), call('W', 900, {}, 0, "wxyz")}
        << Contents{"", "wx", "wxyz"};
    const QByteArray zeros(2048, '\0');
    QTest::newRow("two blocks unsynced: each lost, torn or whole, on its own")
        << Calls{call('O', 900, "f"), call('F', 1), call('W', 900, {}, 0, a + b)}
        << Contents{"",
                    a.left(2048),
                    a,
                    zeros + zeros + b.left(2048),
                    zeros + zeros + b,
                    a.left(2048) + zeros + b.left(2048),
                    a.left(2048) + zeros + b,
                    a + b.left(2048),
                    a + b};
    Call rename = call('N', 0, "t");
    rename.to = QStringLiteral("f");
    QTest::newRow("rename, folder not synced: the new name may be missing")
        << Calls{call('O', 900, "t"), call('W', 900, {}, 0, "xy"), call('F', 900), call('F', 1),
                 rename}
        << Contents{"-", "xy"};
    QTest::newRow("unsynced truncation of a synced file: may be lost")
        << Calls{call('O', 900, "f"), call('W', 900, {}, 0, "abcd"), call('F', 900), call('F', 1),
                 call('R', 900, {}, 2)}
        << Contents{"abcd", "ab"};
}

void TestDiskModel::statesOfAFile() {
    QFETCH(Calls, calls);
    QFETCH(Contents, contents);
    QTemporaryDir root;
    struct stat st {};
    QVERIFY(::stat(QFile::encodeName(root.path()).constData(), &st) == 0);
    DiskModel model(root.path());
    for (Call c : calls) {
        c.path = c.path.isEmpty() ? c.path : root.path() + QLatin1Char('/') + c.path;
        c.to = c.to.isEmpty() ? c.to : root.path() + QLatin1Char('/') + c.to;
        c.ino = c.ino == 1 ? st.st_ino : c.ino;
        model.apply(c);
    }
    // Every combination of the choices.
    const std::vector<int> dims = model.dimensions();
    std::vector<int> choice(dims.size(), 0);
    Contents seen;
    for (bool more = true; more;) {
        const Tree tree = model.state(choice);
        const auto file = tree.find(QStringLiteral("f"));
        seen.insert(file == tree.end() ? QByteArray("-") : file->second.value_or("folder"));
        more = false;
        for (size_t i = 0; i < choice.size() && !more; ++i) {
            more = ++choice[i] < dims[i];
            choice[i] = more ? choice[i] : 0;
        }
    }
    QCOMPARE(seen, contents);
}

QTEST_GUILESS_MAIN(TestDiskModel)
#include "tst_diskmodel.moc"
