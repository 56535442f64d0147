#include "AppIcon.h"
#include "CancellingPrompts.h"
#include "TForm1.h"

#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray sourceFile(const char* path) {
    QFile file(qEnvironmentVariable("ZELTO_SOURCE_DIR") + QLatin1Char('/') + QLatin1String(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 le16(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

quint32 le32(const QByteArray& bytes, qsizetype at) {
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

} // namespace

class TestResources : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void iconGroupEntry_data();
    void iconGroupEntry();
    void iconGroupReadsBack();
    void glyphsAtBothDensities();
    void desktopEntryOfTheRunningProgram();

private:
    QByteArray ico_;
};

void TestResources::initTestCase() {
    ico_ = sourceFile("resources/icons/zelto.ico");
    QVERIFY2(ico_.size() > 6, "resources/icons/zelto.ico not found (ZELTO_SOURCE_DIR)");
    QCOMPARE(le16(ico_, 0), quint16(0));
    QCOMPARE(le16(ico_, 2), quint16(1)); // an icon, not a cursor
    QCOMPARE(le16(ico_, 4), quint16(15));
}

void TestResources::iconGroupEntry_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bits");
    const int rows[15][2] = {{48, 4},  {32, 4},   {16, 4},   {48, 8},  {32, 8},
                             {16, 8},  {256, 32}, {128, 32}, {96, 32}, {80, 32},
                             {72, 32}, {64, 32},  {48, 32},  {32, 32}, {16, 32}};
    for (int i = 0; i < 15; ++i) {
        QTest::addRow("%d px, %d bits", rows[i][0], rows[i][1]) << i << rows[i][0] << rows[i][1];
    }
}

// The directory entry and the image it points to agree on size and colour depth.
void TestResources::iconGroupEntry() {
    QFETCH(int, index);
    QFETCH(int, size);
    QFETCH(int, bits);
    const qsizetype entry = 6 + 16 * index;
    QCOMPARE(int(quint8(ico_[entry])), size % 256); // 0 stands for 256
    QCOMPARE(int(quint8(ico_[entry + 1])), size % 256);
    QCOMPARE(int(quint8(ico_[entry + 2])), bits == 4 ? 16 : 0);
    QCOMPARE(int(le16(ico_, entry + 6)), bits);
    const quint32 length = le32(ico_, entry + 8);
    const quint32 offset = le32(ico_, entry + 12);
    QVERIFY(offset + length <= quint32(ico_.size()));
    const QByteArray image = ico_.mid(offset, length);
    if (size == 256) {
        QVERIFY(image.startsWith("\x89PNG"));
        return;
    }
    QCOMPARE(le32(image, 0), quint32(40));
    QCOMPARE(int(le32(image, 4)), size);
    QCOMPARE(int(le32(image, 8)), 2 * size); // colour rows and mask rows
    QCOMPARE(int(le16(image, 14)), bits);
    const int colours = bits == 32 ? 0 : 1 << bits;
    const int stride = (size * bits + 31) / 32 * 4;
    const int maskStride = (size + 31) / 32 * 4;
    QCOMPARE(qsizetype(length), 40 + 4 * colours + (stride + maskStride) * size);
}

// Qt's own reader finds the fifteen images with the sizes of the directory.
void TestResources::iconGroupReadsBack() {
    QImageReader reader(qEnvironmentVariable("ZELTO_SOURCE_DIR") +
                        QStringLiteral("/resources/icons/zelto.ico"));
    QCOMPARE(reader.imageCount(), 15);
    const int sizes[15] = {48, 32, 16, 48, 32, 16, 256, 128, 96, 80, 72, 64, 48, 32, 16};
    for (int i = 0; i < 15; ++i) {
        QVERIFY(reader.jumpToImage(i));
        QCOMPARE(reader.read().size(), QSize(sizes[i], sizes[i]));
    }
}

// Each toolbar glyph holds a 16-pixel and a 32-pixel image; at twice the density the tool button
// draws the 32-pixel one, cut from the second sheet.
void TestResources::glyphsAtBothDensities() {
    CancellingPrompts prompts;
    const TForm1 form(prompts);
    const QImage sheet2x(QStringLiteral(":/glyphs@2x.png"));
    QCOMPARE(sheet2x.size(), QSize(128, 128));
    QCOMPARE(form.ImageList1.size(), 12);
    for (int k = 0; k < 12; ++k) {
        const QIcon& glyph = form.ImageList1[k];
        QCOMPARE(glyph.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
        const QImage drawn = glyph.pixmap(QSize(16, 16), 2.0).toImage();
        QCOMPARE(drawn.size(), QSize(32, 32));
        QCOMPARE(drawn.convertToFormat(QImage::Format_ARGB32),
                 sheet2x.copy(32 * (k % 4), 32 * (k / 4), 32, 32)
                     .convertToFormat(QImage::Format_ARGB32));
    }
}

// The session matches the running program with its desktop entry, which the package installs
// beside the AppStream metadata of the same id.
void TestResources::desktopEntryOfTheRunningProgram() {
    installApplicationIcon();
    const QString id = QGuiApplication::desktopFileName();
    QVERIFY(!sourceFile(qPrintable("resources/linux/" + id + ".desktop")).isEmpty());
    QVERIFY(sourceFile(qPrintable("resources/linux/" + id + ".metainfo.xml"))
                .contains("<id>" + id.toUtf8() + "</id>"));
}

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
