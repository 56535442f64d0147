#include "Cp1251.h"
#include "RichEdit.h"
#include "SearchText.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextDocument>
#include <memory>

class TestSearchText : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void foldCaseMatchesLowerCase();
    void followsEdits_data();
    void followsEdits();
    void followsRandomEdits();
    void followsReplacedDocument();

private:
    // Both copies against the document itself.
    void compareWithDocument();
    // Runs one step of a script: "i:pos:text" inserts, "d:pos:len" deletes, "b:pos:len" makes
    // bold, "u" undoes, "s:text" replaces the whole text, "c" clears, "r" reads and compares.
    void run(const QString& step);

    std::unique_ptr<RichEdit> edit_;
    std::unique_ptr<SearchText> text_;
};

void TestSearchText::init() {
    edit_ = std::make_unique<RichEdit>();
    text_ = std::make_unique<SearchText>(*edit_);
}

void TestSearchText::cleanup() {
    text_.reset();
    edit_.reset();
}

void TestSearchText::compareWithDocument() {
    const QString raw = edit_->document()->toRawText();
    QCOMPARE(text_->text(), raw);
    QCOMPARE(text_->folded(), SearchText::foldCase(raw));
}

void TestSearchText::foldCaseMatchesLowerCase() {
    // Over the characters a document can hold, folding unit by unit is the whole lower-casing,
    // with the length kept.
    QString codePage;
    for (int byte = 0; byte < 256; ++byte) {
        codePage.append(Cp1251::toUnicode(static_cast<unsigned char>(byte)));
    }
    QCOMPARE(SearchText::foldCase(codePage), codePage.toLower());
    QCOMPARE(SearchText::foldCase(u"АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"),
             QStringLiteral("абвгдеёжзийклмнопрстуфхцчшщъыьэюя"));
}

void TestSearchText::run(const QString& step) {
    const QStringList f = step.split(QLatin1Char(':'));
    const QChar op = f[0].at(0);
    if (op == u'i') {
        edit_->setSelStart(f[1].toInt());
        edit_->replaceSelection(f[2]);
    } else if (op == u'd') {
        edit_->select(f[1].toInt(), f[2].toInt());
        edit_->replaceSelection(QString());
    } else if (op == u'b') {
        edit_->select(f[1].toInt(), f[2].toInt());
        edit_->setSelStyles(FontStyles(fsBold));
    } else if (op == u'u') {
        edit_->undo();
    } else if (op == u's') {
        edit_->setText(f[1]);
    } else if (op == u'c') {
        edit_->clear();
    } else if (op == u'r') {
        compareWithDocument();
    }
}

void TestSearchText::followsEdits_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("script"); // steps separated by ';'

    const QString text = QStringLiteral("Первая строка\r\nвторая\r\n\r\nLAST line");
    QTest::newRow("typing at the start") << text << "i:0:X;r;i:1:Y;i:2:Z;r";
    QTest::newRow("typing at the end") << text << "i:34:!;r;i:35:?;r";
    QTest::newRow("breaking a paragraph") << text << "i:3:\r\n;r";
    QTest::newRow("pasting paragraphs") << text << "i:10:a\r\nБ\r\nc;r";
    QTest::newRow("deleting across breaks") << text << "d:5:20;r";
    QTest::newRow("deleting everything") << text << "d:0:34;r;i:0:new;r";
    QTest::newRow("edits far apart between reads") << text << "i:0:A;i:34:B;d:15:3;r";
    QTest::newRow("undo") << text << "i:4:ЖЖ;d:0:2;r;u;r;u;r";
    QTest::newRow("format only") << text << "b:2:20;r;u;r";
    QTest::newRow("whole text replaced") << text << "s:short;r;s:x\r\ny\r\nz;r";
    QTest::newRow("clear") << text << "c;r;i:0:a;r";
    QTest::newRow("from an empty document") << ""
                                            << "i:0:a;r;i:1:\r\nb;r;d:0:1;r";
}

void TestSearchText::followsEdits() {
    QFETCH(QString, text);
    QFETCH(QString, script);
    edit_->setText(text);
    compareWithDocument();
    // Reading an unchanged document hands back the same copies.
    const QChar* exact = text_->text().constData();
    const QChar* folded = text_->folded().constData();
    QCOMPARE(text_->text().constData(), exact);
    QCOMPARE(text_->folded().constData(), folded);
    for (const QString& step : script.split(QLatin1Char(';'))) {
        run(step);
        if (QTest::currentTestFailed()) {
            QFAIL(qPrintable(QStringLiteral("after step ") + step));
        }
    }
    compareWithDocument();
}

void TestSearchText::followsRandomEdits() {
    QRandomGenerator rng(20261207);
    const QStringList pieces = {QStringLiteral("а"), QStringLiteral("Слово "),
                                QStringLiteral("\r\n"), QStringLiteral("x\r\nY"),
                                QStringLiteral("ЁЖ\r\n\r\n")};
    edit_->setText(QStringLiteral("начало\r\nText\r\nконец"));
    compareWithDocument();
    for (int i = 0; i < 400; ++i) {
        const int length = edit_->textLength();
        const int at = rng.bounded(length + 1);
        switch (rng.bounded(5)) {
        case 0:
        case 1:
            edit_->setSelStart(at);
            edit_->replaceSelection(pieces[rng.bounded(pieces.size())]);
            break;
        case 2:
            edit_->select(at, rng.bounded(8));
            edit_->replaceSelection(QString());
            break;
        case 3:
            edit_->undo();
            break;
        default:
            edit_->select(at, rng.bounded(10));
            edit_->setSelStyles(FontStyles(fsItalic));
        }
        if (rng.bounded(3) == 0) {
            compareWithDocument();
            if (QTest::currentTestFailed()) {
                QFAIL(qPrintable(QStringLiteral("after edit %1").arg(i)));
            }
        }
    }
    compareWithDocument();
}

void TestSearchText::followsReplacedDocument() {
    edit_->setText(QStringLiteral("old text"));
    QCOMPARE(text_->folded(), QStringLiteral("old text"));
    edit_->loadPlainText(QStringLiteral("new\nТекст"));
    QCOMPARE(text_->text(), QStringLiteral("new\u2029Текст"));
    QCOMPARE(text_->folded(), QStringLiteral("new\u2029текст"));
    // Edits of the new document are followed too.
    edit_->setSelStart(0);
    edit_->replaceSelection(QStringLiteral("brand "));
    QCOMPARE(text_->text(), QStringLiteral("brand new\u2029Текст"));
    QCOMPARE(text_->folded(), QStringLiteral("brand new\u2029текст"));
}

QTEST_MAIN(TestSearchText)
#include "tst_searchtext.moc"
