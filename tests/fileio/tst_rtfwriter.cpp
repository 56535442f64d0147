#include "Errors.h"
#include "FileBytes.h"
#include "Pandoc.h"
#include "RichEdit.h"
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <clocale>
#include <functional>
#include <memory>

namespace {

// Collects the pandoc inline element types (Strong, Emph, ...) and the block types.
void collectTypes(const QJsonValue& v, QStringList& types) {
    if (v.isArray()) {
        for (const QJsonValue& e : v.toArray()) {
            collectTypes(e, types);
        }
    } else if (v.isObject()) {
        const QJsonObject o = v.toObject();
        if (o.contains(QLatin1String("t"))) {
            types.append(o.value(QLatin1String("t")).toString());
        }
        collectTypes(o.value(QLatin1String("c")), types);
    }
}

// Counts a control word followed by its number: \\fs in \\fs16, not in \\fswiss.
qsizetype countWord(const QByteArray& rtf, const QByteArray& word) {
    qsizetype n = 0;
    for (qsizetype at = rtf.indexOf(word); at >= 0; at = rtf.indexOf(word, at + 1)) {
        const qsizetype after = at + word.size();
        n += after < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[after])) ? 1 : 0;
    }
    return n;
}

// The editor's five stops when the dialog base unit is 7 pixels.
const QList<qreal> kStops{19.25, 38.5, 59.5, 78.75, 99.75};

} // namespace

using EditSteps = std::function<void(RichEdit&)>;
Q_DECLARE_METATYPE(EditSteps)

class TestRtfWriter : public QObject {
    Q_OBJECT
private slots:
    void init() {
        edit_ = std::make_unique<RichEdit>();
        edit_->document()->setDefaultFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    }
    void cleanup() { edit_.reset(); }

    void headerAndTables();
    void textEscapes_data();
    void textEscapes();
    void characterAttributes_data();
    void characterAttributes();
    void paragraphAttributes_data();
    void paragraphAttributes();
    void recipientLayout_data();
    void recipientLayout();
    void pageFollowsTheLocalePaper();
    void onlyChangesAreWrittenBetweenRuns();
    void saveErrors();
    void pandocReadsFormatting();

private:
    RtfDocument readBack() const { return RtfReader::read(RtfWriter::toRtf(*edit_->document())); }
    std::unique_ptr<RichEdit> edit_;
};

void TestRtfWriter::headerAndTables() {
    edit_->setText(QStringLiteral("ab"));
    edit_->select(1, 1);
    edit_->setSelFaceName(QStringLiteral("Arial"));
    edit_->setSelCharset(Charset::Symbol);
    edit_->setSelColor(QColor(255, 0, 0));
    const QByteArray rtf = RtfWriter::toRtf(*edit_->document());
    QVERIFY(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251\\deff0"));
    const RtfDocument doc = RtfReader::read(rtf);
    QVERIFY2(doc.ok, qPrintable(doc.error));
    QCOMPARE(doc.fonts.value(0), QStringLiteral("MS Sans Serif"));
    QCOMPARE(doc.charsets.value(0), 204); // the default set of a Cyrillic program
    const RtfParagraph& p = doc.paragraphs.at(0);
    QCOMPARE(p.text, QStringLiteral("ab"));
    QCOMPARE(p.chars[0].cf, 0);
    QCOMPARE(doc.fonts.value(p.chars[1].font), QStringLiteral("Arial"));
    QCOMPARE(doc.charsets.value(p.chars[1].font), 2);
    QCOMPARE(doc.colors.value(p.chars[1].cf), qRgb(255, 0, 0));
    QCOMPARE(doc.colors.size(), 2);

    // The tables list what the text uses, in the order of use: a face and a colour the document
    // no longer shows are gone, whatever the document's formats once held.
    edit_->select(Position(0), 1);
    edit_->setSelFaceName(QStringLiteral("Courier New"));
    edit_->setSelColor(QColor(0, 0, 255));
    edit_->select(Position(0), 1);
    edit_->replaceSelection(QString());
    const RtfDocument later = RtfReader::read(RtfWriter::toRtf(*edit_->document()));
    QCOMPARE(later.fonts.values(), QStringList({"MS Sans Serif", "Arial"}));
    QCOMPARE(later.colors, QList<QRgb>({0, qRgb(255, 0, 0)}));
}

void TestRtfWriter::textEscapes_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("expected");
    QTest::newRow("braces and backslash")
        << QStringLiteral("a\\b{c}") << QByteArray("a\\\\b\\{c\\}");
    QTest::newRow("tab") << QStringLiteral("a\tb") << QByteArray("a\\tab b");
    QTest::newRow("cyrillic as \\u with cp1251 fallback")
        << QStringLiteral("Яя") << QByteArray("\\u1071\\'df\\u1103\\'ff");
    QTest::newRow("numero sign") << QStringLiteral("\u2116") << QByteArray("\\u8470\\'b9");
    QTest::newRow("undefined byte 0x98") << QString(QChar(0x98)) << QByteArray("\\u152\\'98");
    QTest::newRow("control character") << QString(QChar(1)) << QByteArray("\\'01");
}

void TestRtfWriter::textEscapes() {
    QFETCH(QString, text);
    QFETCH(QByteArray, expected);
    edit_->setText(text);
    const QByteArray rtf = RtfWriter::toRtf(*edit_->document());
    QVERIFY2(rtf.contains(expected), rtf.constData());
    const RtfDocument doc = RtfReader::read(rtf);
    QVERIFY2(doc.ok, qPrintable(doc.error));
    QCOMPARE(doc.paragraphs.at(0).text, text);
}

void TestRtfWriter::characterAttributes_data() {
    QTest::addColumn<int>("styles");
    QTest::addColumn<int>("twips");
    QTest::addColumn<QColor>("color");
    QTest::newRow("bold") << int(fsBold) << 160 << QColor();
    QTest::newRow("italic underline") << int(fsItalic | fsUnderline) << 160 << QColor();
    QTest::newRow("strike-out, 14 pt") << int(fsStrikeOut) << 280 << QColor();
    QTest::newRow("all styles, blue")
        << int(fsBold | fsItalic | fsUnderline | fsStrikeOut) << 200 << QColor(0, 0, 255);
    QTest::newRow("half point size") << 0 << 230 << QColor(0x12, 0x34, 0x56);
}

void TestRtfWriter::characterAttributes() {
    QFETCH(int, styles);
    QFETCH(int, twips);
    QFETCH(QColor, color);
    edit_->setText(QStringLiteral("plain styled plain"));
    edit_->select(6, 6);
    edit_->setSelStyles(FontStyles(styles));
    edit_->setSelSizeTwips(twips);
    edit_->setSelColor(color);
    const RtfDocument doc = readBack();
    QVERIFY2(doc.ok, qPrintable(doc.error));
    const RtfParagraph& p = doc.paragraphs.at(0);
    QCOMPARE(p.text, QStringLiteral("plain styled plain"));
    for (const int at : {0, 6, 11, 13}) {
        const bool inside = at >= 6 && at < 12;
        const RtfChar& c = p.chars.at(at);
        const FontStyles want = inside ? FontStyles(styles) : FontStyles();
        QCOMPARE(c.b, want.testFlag(fsBold));
        QCOMPARE(c.i, want.testFlag(fsItalic));
        QCOMPARE(c.ul, want.testFlag(fsUnderline));
        QCOMPARE(c.strike, want.testFlag(fsStrikeOut));
        QCOMPARE(c.fs, inside ? twips / 10 : 16);
        const QRgb rgb = inside && color.isValid() ? color.rgb() & 0xFFFFFF : 0;
        QCOMPARE(c.cf == 0 ? QRgb(0) : doc.colors.value(c.cf) & 0xFFFFFF, rgb);
    }
}

void TestRtfWriter::paragraphAttributes_data() {
    QTest::addColumn<int>("alignment");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("right");
    QTest::addColumn<bool>("bullet");
    QTest::newRow("centre") << int(ParaAlignment::Center) << 0 << 0 << 0 << false;
    QTest::newRow("right, indents") << int(ParaAlignment::Right) << 200 << 400 << 300 << false;
    QTest::newRow("negative offset") << int(ParaAlignment::Left) << 720 << -360 << 0 << false;
    QTest::newRow("bullet") << int(ParaAlignment::Left) << 0 << 360 << 0 << true;
}

void TestRtfWriter::paragraphAttributes() {
    QFETCH(int, alignment);
    QFETCH(int, start);
    QFETCH(int, offset);
    QFETCH(int, right);
    QFETCH(bool, bullet);
    edit_->setText(QStringLiteral("before\r\none\r\ntwo\r\nafter"));
    edit_->select(8, 6); // "one" and "two"
    edit_->setParaAlignment(ParaAlignment(alignment));
    edit_->setParaStartIndent(start);
    edit_->setParaOffset(offset);
    edit_->setParaRightIndent(right);
    edit_->setParaNumbering(bullet ? ParaNumbering::Bullet : ParaNumbering::None);
    const RtfDocument doc = readBack();
    QVERIFY2(doc.ok, qPrintable(doc.error));
    QCOMPARE(doc.paragraphs.size(), 4);
    const char align = "lcr"[alignment];
    for (int i = 0; i < 4; ++i) {
        const RtfParagraph& p = doc.paragraphs.at(i);
        const bool touched = i == 1 || i == 2;
        QCOMPARE(p.align, touched ? align : 'l');
        // First line at the start indent, later lines at start + offset.
        QCOMPARE(p.li, touched ? start + offset : 0);
        QCOMPARE(p.fi, touched ? -offset : 0);
        QCOMPARE(p.ri, touched ? right : 0);
        QCOMPARE(p.bullet, touched && bullet);
    }
    QCOMPARE(doc.paragraphs.at(2).text, QStringLiteral("two"));
}

void TestRtfWriter::recipientLayout_data() {
    QTest::addColumn<EditSteps>("steps");
    QTest::addColumn<QByteArrayList>("expected");
    const auto para = [](int at, const std::function<void(RichEdit&)>& set) {
        return [at, set](RichEdit& e) {
            e.select(at, 0);
            set(e);
        };
    };
    QTest::newRow("page, default stops, set stops at the margin")
        << EditSteps([](RichEdit&) {})
        << QByteArrayList{
               "\\paperw11906\\paperh16838\\margl1134\\margr1134\\margt1134\\margb1134"
               "\\deftab720",
               "\\pard\\plain\\ql\\tx289\\tx578\\tx893\\tx1181\\tx1496 \\f0\\fs16\\cf0 x\\tab "};
    // The editor counts stops from the line's start, and its half-inch grid past them too.
    QTest::newRow("stops follow a first-line indent")
        << EditSteps(para(0, [](RichEdit& e) { e.setParaStartIndent(400); }))
        << QByteArrayList{"\\li400\\tx689\\tx978\\tx1293\\tx1581\\tx1896\\tx2560\\tx3280",
                          "\\tx8320\\tx9040 "};
    QTest::newRow("hanging first line: a stop at the later lines")
        << EditSteps(para(0, [](RichEdit& e) { e.setParaOffset(400); }))
        << QByteArrayList{"\\li400\\fi-400\\tx289\\tx400\\tx578\\tx893\\tx1181\\tx1496 "};
    QTest::newRow("bullet: its tab goes to the hanging indent")
        << EditSteps(para(0,
                          [](RichEdit& e) {
                              e.setParaOffset(200);
                              e.setParaNumbering(ParaNumbering::Bullet);
                          }))
        << QByteArrayList{"\\jclisttab\\tx200}", "\\li200\\fi-200\\tx200\\tx489\\tx778",
                          "\\f0\\fs16\\cf0 {\\listtext\\f1\\'b7\\tab}x", "{\\f1\\ftech\\fcharset2"};
    QTest::newRow("font families and pitch")
        << EditSteps([](RichEdit& e) {
               e.select(0, 1);
               e.setSelFaceName(QStringLiteral("Times New Roman"));
               e.select(2, 1);
               e.setSelFaceName(QStringLiteral("Liberation Mono"));
               e.select(3, 1);
               e.setSelFaceName(QStringLiteral("DejaVu Sans"));
           })
        << QByteArrayList{"{\\f0\\fswiss\\fcharset204\\fprq2 MS Sans Serif;}",
                          "\\froman\\fcharset204\\fprq2 Times New Roman;}",
                          "\\fmodern\\fcharset204\\fprq1 Liberation Mono;}",
                          "\\fswiss\\fcharset204\\fprq2 DejaVu Sans;}"};
    // A reader that resets the characters at \\pard keeps them: they follow each \\pard\\plain.
    QTest::newRow("runs restated after \\pard\\plain")
        << EditSteps([](RichEdit& e) {
               e.select(0, 7);
               e.setSelFaceName(QStringLiteral("Times New Roman"));
               e.setSelSizeTwips(280);
               e.setSelColor(QColor(255, 0, 0));
               e.setSelStyles(fsBold | fsUnderline);
               e.select(7, 0);
               e.setParaAlignment(ParaAlignment::Center);
           })
        << QByteArrayList{"\\pard\\plain\\qc\\tx289\\tx578\\tx893\\tx1181\\tx1496 "
                          "\\f1\\fs28\\cf1\\b\\ul n"};
}

void TestRtfWriter::recipientLayout() {
    QFETCH(EditSteps, steps);
    QFETCH(QByteArrayList, expected);
    edit_->setTabStops(kStops);
    edit_->setText(QStringLiteral("x\tcd\r\nnext"));
    steps(*edit_);
    const QByteArray rtf = RtfWriter::toRtf(*edit_->document());
    for (const QByteArray& words : expected) {
        QVERIFY2(rtf.contains(words), qPrintable(words + "\nnot in\n" + rtf));
    }
    const RtfDocument doc = RtfReader::read(rtf);
    QVERIFY2(doc.ok, qPrintable(doc.error));
    QCOMPARE(doc.paragraphs.at(1).text, QStringLiteral("next"));
}

void TestRtfWriter::pageFollowsTheLocalePaper() {
    // A US locale compiled for this test: its paper is Letter.
    QTemporaryDir dir;
    QProcess localedef;
    localedef.start(QStringLiteral("localedef"),
                    {QStringLiteral("-i"), QStringLiteral("en_US"), QStringLiteral("-f"),
                     QStringLiteral("UTF-8"), dir.filePath(QStringLiteral("en_US.UTF-8"))});
    if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0) {
        QSKIP("localedef cannot build en_US here");
    }
    qputenv("LOCPATH", dir.path().toLocal8Bit());
    const QByteArray before = std::setlocale(LC_PAPER, nullptr);
    QVERIFY(std::setlocale(LC_PAPER, "en_US.UTF-8") != nullptr);
    const QByteArray rtf = RtfWriter::toRtf(*edit_->document());
    std::setlocale(LC_PAPER, before.constData());
    qunsetenv("LOCPATH");
    QVERIFY2(rtf.contains("\\paperw12240\\paperh15840\\margl1134"), rtf.constData());
}

void TestRtfWriter::onlyChangesAreWrittenBetweenRuns() {
    // Many plain paragraphs cost the text and one \par each, no repeated state.
    QString text;
    for (int i = 0; i < 1000; ++i) {
        text += QStringLiteral("line\r\n");
    }
    edit_->setText(text);
    const QByteArray rtf = RtfWriter::toRtf(*edit_->document());
    QCOMPARE(rtf.count("\\pard"), 1);
    QCOMPARE(countWord(rtf, "\\fs"), 1);
    QVERIFY(rtf.size() < 1000 * 12 + 400);
}

void TestRtfWriter::saveErrors() {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("no/x.rtf"));
    try {
        RtfWriter::save(*edit_->document(), missing);
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.message(),
                 QStringLiteral("Cannot create file \"%1\". Invalid filename").arg(missing));
    }
    const QString good = dir.filePath(QStringLiteral("x.rtf"));
    edit_->setText(QStringLiteral("ok"));
    RtfWriter::save(*edit_->document(), good);
    QFile f(good);
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), RtfWriter::toRtf(*edit_->document()));
    f.close();

    // A write that fails half-way (a file size limit stands in for a full disk).
    const QByteArray before = RtfWriter::toRtf(*edit_->document());
    edit_->setText(QStringLiteral("%1\r\n").arg(QString(99, QLatin1Char('x'))).repeated(2000));
    QString message;
    try {
        const FileSizeLimit limit(50000);
        RtfWriter::save(*edit_->document(), good);
    } catch (const Error& e) {
        message = e.message();
    }
    QCOMPARE(message, QStringLiteral("Failed to Save Stream"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
}

void TestRtfWriter::pandocReadsFormatting() {
    const QString pandoc = findPandoc();
    if (pandoc.isEmpty()) {
        QSKIP("pandoc is not installed");
    }
    edit_->setText(
        QStringLiteral("Привет bold italic under strike\r\nпервый\r\nвторой\r\nконец {x}"));
    const auto style = [this](int start, int length, FontStyles s) {
        edit_->select(start, length);
        edit_->setSelStyles(s);
    };
    style(7, 4, fsBold);
    style(12, 6, fsItalic);
    style(19, 5, fsUnderline);
    style(25, 6, fsStrikeOut);
    edit_->select(33, 14); // "первый" and "второй"
    edit_->setParaNumbering(ParaNumbering::Bullet);
    edit_->select(49, 3);
    edit_->setParaAlignment(ParaAlignment::Center);

    const QByteArray rtf = RtfWriter::toRtf(*edit_->document());
    const PandocOutput converted = runPandoc(pandoc, rtf, QStringLiteral("json"));
    QVERIFY2(converted.ok, qPrintable(converted.error));
    const QJsonDocument json = QJsonDocument::fromJson(converted.bytes);
    QStringList types;
    collectTypes(json.object().value(QLatin1String("blocks")), types);
    for (const char* t : {"Strong", "Emph", "Underline", "Strikeout", "BulletList"}) {
        QVERIFY2(types.contains(QLatin1String(t)), t);
    }
    const PandocOutput plain = runPandoc(pandoc, rtf, QStringLiteral("plain"));
    QVERIFY2(plain.ok, qPrintable(plain.error));
    const QString text = QString::fromUtf8(plain.bytes);
    for (const char* word : {"Привет", "первый", "второй", "конец {x}"}) {
        QVERIFY2(text.contains(QString::fromUtf8(word)), qPrintable(text));
    }
}

QTEST_MAIN(TestRtfWriter)
#include "tst_rtfwriter.moc"
