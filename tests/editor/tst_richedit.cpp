#include "Cp1251.h"
#include "RichEdit.h"

#include <QApplication>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <memory>

class TestRichEdit : public QObject {
    Q_OBJECT
private slots:
    void init() { edit_ = std::make_unique<RichEdit>(); }
    void cleanup() { edit_.reset(); }

    void positionsCountBreaksAsTwo_data();
    void positionsCountBreaksAsTwo();
    void textUsesCrLf_data();
    void textUsesCrLf();
    void selectionRoundTrip();
    void loadPlainTextResetsHistory();
    void clearIsUndoable();
    void charAttributes();
    void paragraphIndentsReadBackExactly();
    void bulletToggleAcrossParagraphs();
    void cp1251RoundTripAllBytes();

private:
    std::unique_ptr<RichEdit> edit_;
};

void TestRichEdit::positionsCountBreaksAsTwo_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("qtPosition");
    // "ab" CR LF "c" CR LF "" CR LF "xyz"
    QTest::newRow("start") << 0 << 0;
    QTest::newRow("end of first") << 2 << 2;
    QTest::newRow("inside break maps to paragraph end") << 3 << 2;
    QTest::newRow("second paragraph") << 4 << 3;
    QTest::newRow("empty paragraph") << 7 << 5;
    QTest::newRow("last paragraph") << 9 << 6;
    QTest::newRow("end") << 12 << 9;
    QTest::newRow("past end clamps") << 100 << 9;
}

void TestRichEdit::positionsCountBreaksAsTwo() {
    QFETCH(int, position);
    QFETCH(int, qtPosition);
    edit_->setText(QStringLiteral("ab\r\nc\r\n\r\nxyz"));
    QCOMPARE(edit_->textLength(), 12);
    QCOMPARE(edit_->toQtPosition(position), QtPosition(qtPosition));
    if (position <= 12 && position != 3) {
        QCOMPARE(edit_->toPosition(QtPosition(qtPosition)), position);
    }
}

void TestRichEdit::textUsesCrLf_data() {
    QTest::addColumn<QString>("given");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("paragraphs");
    QTest::newRow("LF, CR LF, lone CR")
        << QStringLiteral("a\nb\r\nc\rd") << QStringLiteral("a\r\nb\r\nc\r\nd") << 4;
    QTest::newRow("CR before CR LF")
        << QStringLiteral("a\r\r\nb") << QStringLiteral("a\r\n\r\nb") << 3;
    QTest::newRow("separators") << QStringLiteral("a\u2029b\u2028c")
                                << QStringLiteral("a\r\nb\r\nc") << 3;
    QTest::newRow("outside windows-1251")
        << QStringLiteral("Ё€\u263A") << QStringLiteral("Ё€?") << 1;
    QTest::newRow("empty") << QString() << QString() << 1;
}

void TestRichEdit::textUsesCrLf() {
    QFETCH(QString, given);
    QFETCH(QString, text);
    QFETCH(int, paragraphs);
    edit_->setText(given);
    QCOMPARE(edit_->text(), text);
    QCOMPARE(edit_->document()->blockCount(), paragraphs);
}

void TestRichEdit::selectionRoundTrip() {
    edit_->setText(QStringLiteral("a\r\nxyz"));
    edit_->select(3, 3);
    QCOMPARE(edit_->selStart(), 3);
    QCOMPARE(edit_->selLength(), 3);
    QCOMPARE(edit_->selectedText(), QStringLiteral("xyz"));
    edit_->select(0, 6);
    QCOMPARE(edit_->selectedText(), QStringLiteral("a\r\nxyz"));
    edit_->setSelStart(4);
    QCOMPARE(edit_->selStart(), 4);
    QCOMPARE(edit_->selLength(), 0);
}

void TestRichEdit::loadPlainTextResetsHistory() {
    edit_->setText(QStringLiteral("old"));
    edit_->loadPlainText(QStringLiteral("first\nвторой"));
    QCOMPARE(edit_->text(), QStringLiteral("first\r\nвторой"));
    QVERIFY(!edit_->modified());
    QVERIFY(!edit_->document()->isUndoAvailable());
    QCOMPARE(edit_->selStart(), 0);
    QCOMPARE(edit_->selFaceName(), edit_->document()->defaultFont().family());
}

void TestRichEdit::clearIsUndoable() {
    edit_->setText(QStringLiteral("keep me"));
    edit_->setModified(true);
    edit_->clear();
    QCOMPARE(edit_->text(), QString());
    QVERIFY(!edit_->modified());
    edit_->undo();
    QCOMPARE(edit_->text(), QStringLiteral("keep me"));
    QVERIFY(edit_->modified());
}

void TestRichEdit::charAttributes() {
    edit_->setText(QStringLiteral("hello world"));
    edit_->select(0, 5);
    edit_->setSelStyles(fsBold | fsUnderline);
    edit_->setSelSizeTwips(240);
    edit_->setSelColor(QColor(0x99, 0x33, 0x00));
    edit_->setSelFaceName(QString(40, QLatin1Char('F')));
    edit_->setSelCharset(Charset::Russian);
    QCOMPARE(edit_->selStyles(), FontStyles(fsBold | fsUnderline));
    QCOMPARE(edit_->selSizeTwips(), 240);
    QCOMPARE(edit_->selColor(), QColor(0x99, 0x33, 0x00));
    QCOMPARE(edit_->selFaceName(), QString(31, QLatin1Char('F')));
    QCOMPARE(edit_->selCharset(), Charset::Russian);
    edit_->setSelColor(QColor());
    QVERIFY(!edit_->selColor().isValid());
    // The rest of the text keeps its attributes.
    edit_->select(6, 5);
    QCOMPARE(edit_->selStyles(), FontStyles());
    QVERIFY(!edit_->selColor().isValid());
}

void TestRichEdit::paragraphIndentsReadBackExactly() {
    edit_->setText(QStringLiteral("one\r\ntwo\r\nthree"));
    edit_->select(0, 6); // touches "one" and "two"
    edit_->setParaStartIndent(200);
    edit_->setParaOffset(400);
    edit_->setParaRightIndent(300);
    edit_->setParaAlignment(ParaAlignment::Center);
    edit_->setSelStart(5);
    QCOMPARE(edit_->paraStartIndent(), 200);
    QCOMPARE(edit_->paraOffset(), 400);
    QCOMPARE(edit_->paraRightIndent(), 300);
    QCOMPARE(edit_->paraAlignment(), ParaAlignment::Center);
    edit_->setSelStart(10);
    QCOMPARE(edit_->paraStartIndent(), 0);
    QCOMPARE(edit_->paraAlignment(), ParaAlignment::Left);
}

void TestRichEdit::bulletToggleAcrossParagraphs() {
    edit_->setText(QStringLiteral("one\r\ntwo\r\nthree"));
    edit_->select(0, 6);
    edit_->setParaNumbering(ParaNumbering::Bullet);
    edit_->setSelStart(5);
    QCOMPARE(edit_->paraNumbering(), ParaNumbering::Bullet);
    edit_->setSelStart(10);
    QCOMPARE(edit_->paraNumbering(), ParaNumbering::None);
    edit_->select(0, 6);
    edit_->setParaNumbering(ParaNumbering::None);
    QCOMPARE(edit_->paraNumbering(), ParaNumbering::None);
    QCOMPARE(edit_->text(), QStringLiteral("one\r\ntwo\r\nthree"));
}

void TestRichEdit::cp1251RoundTripAllBytes() {
    QByteArray all(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i) {
        all[i] = static_cast<char>(i);
    }
    const QString text = Cp1251::decode(all);
    QCOMPARE(Cp1251::encode(text), all);
    QCOMPARE(text.at(0xC0), QChar(0x0410)); // А
    QCOMPARE(text.at(0x98), QChar(0x0098));
    QCOMPARE(Cp1251::encode(QStringLiteral("€✓")), QByteArray("\x88?"));
}

QTEST_MAIN(TestRichEdit)
#include "tst_richedit.moc"
