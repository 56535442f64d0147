#include "Cp1251.h"
#include "ExtraSpaces.h"
#include "LineBreaks.h"
#include "ParagraphPieces.h"
#include "PieceIndex.h"
#include "PlainTextBuilder.h"
#include "RichEdit.h"
#include "RtfWriter.h"
#include "SearchText.h"
#include "TextFile.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <functional>
#include <memory>

// A very long paragraph is held in pieces: every edit of it must give the text, positions, saves
// and search text that the same edit of one whole paragraph gives.

namespace {

using Edit = std::function<void(RichEdit&, int separator)>;
using Expect = std::function<void(QString&, int separator)>;

// Words of six characters with a space after each: a paragraph of n words is 6n long.
QString words(int n, QChar letter = u'w') {
    QString text;
    for (int i = 0; i < n; ++i) {
        text += letter + QString::number(10000 + i) + u' ';
    }
    return text;
}

// The editor's document, edited by plain insertion only, so that nothing is cut into pieces.
QByteArray wholeRtf(const QString& text) {
    RichEdit whole;
    QTextCursor(whole.document()).insertText(LineBreaks::toEditorText(text));
    return RtfWriter::toRtf(*whole.document());
}

QByteArray textBytes(const QTextDocument& document) {
    QByteArray out;
    TextFile::encodeParagraphs(document, [&](QByteArrayView chunk) { out += chunk; });
    return out;
}

void clickKeys(RichEdit& edit, int at, Qt::Key key, int times = 1) {
    edit.setSelStart(at);
    for (int i = 0; i < times; ++i) {
        QTest::keyClick(edit.widget(), key);
    }
}

} // namespace

Q_DECLARE_METATYPE(Edit)
Q_DECLARE_METATYPE(Expect)

class TestPieces : public QObject {
    Q_OBJECT
private slots:
    void longParagraphIsCutAtSpaces();
    void documentOutsideTheEditorFollowsItsEdits();
    void openFindsLongParagraphsAcrossChunks_data();
    void openFindsLongParagraphsAcrossChunks();
    void editsKeepTheText_data();
    void editsKeepTheText();
    void paragraphFormatsCoverEveryPiece();
};

void TestPieces::longParagraphIsCutAtSpaces() {
    const QString text = words(7000) + QStringLiteral("\r\nshort\r\n") + QString(40000, u'x');
    RichEdit edit;
    edit.loadPlainText(LineBreaks::toEditorText(text));
    QTextDocument& doc = *edit.document();
    // The worded paragraph is in pieces; the short one and the one without spaces are whole.
    QVERIFY(doc.blockCount() > 10);
    QCOMPARE(doc.lastBlock().length() - 1, 40000);
    QVERIFY(!ParagraphPieces::continues(doc.lastBlock()));
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QVERIFY(b.length() - 1 <= ParagraphPieces::kPieceLength || b == doc.lastBlock());
    }
    QCOMPARE(edit.text(),
             text.left(text.size() - 2 - 40000) + QStringLiteral("\r\n") + QString(40000, u'x'));
    QCOMPARE(edit.textLength(), text.size());
    // Every program position maps to Qt and back; the short paragraph starts where it should.
    for (int p = 0; p <= text.size(); p += 97) {
        QCOMPARE(edit.toPosition(edit.toQtPosition(p)), Position(p));
    }
    const int shortStart = static_cast<int>(text.indexOf(u"short"));
    QCOMPARE(doc.findBlock(edit.toQtPosition(shortStart).value).text(), QStringLiteral("short"));
}

void TestPieces::documentOutsideTheEditorFollowsItsEdits() {
    QTextDocument doc;
    QTextCursor(&doc).insertText(words(7000));
    QVERIFY(ParagraphPieces::cut(doc, 0, 0) > 5);
    const std::vector<int> before = ParagraphPieces::softSeparators(doc);
    QCOMPARE(ParagraphPieces::rawText(doc), words(7000));
    // The index made on that first read follows the edits after it.
    QTextCursor(&doc).insertText(QStringLiteral("x\n"));
    std::vector<int> shifted = before;
    std::for_each(shifted.begin(), shifted.end(), [](int& at) { at += 2; });
    QCOMPARE(ParagraphPieces::softSeparators(doc), shifted);
}

void TestPieces::openFindsLongParagraphsAcrossChunks_data() {
    QTest::addColumn<QStringList>("chunks");
    QTest::addColumn<bool>("pieces");
    const QString half = words(3000); // 21,000 characters
    QTest::newRow("lines just short enough") << QStringList{half + u'\n' + half + u'\n'} << false;
    QTest::newRow("one paragraph over two chunks") << QStringList{half, half} << true;
    QTest::newRow("broken at the chunk seam") << QStringList{half + u'\n', half} << false;
    QTest::newRow("long after short lines")
        << QStringList{QStringLiteral("a\nb\n") + half, half} << true;
    QTest::newRow("in three chunks")
        << QStringList{QStringLiteral("x\n") + half.left(15000), half.left(15000), half.left(3000)}
        << true;
}

void TestPieces::openFindsLongParagraphsAcrossChunks() {
    QFETCH(QStringList, chunks);
    QFETCH(bool, pieces);
    RichEdit edit;
    PlainTextBuilder builder(*edit.document());
    for (const QString& chunk : chunks) {
        builder.append(chunk);
    }
    edit.adopt(builder.take());
    QCOMPARE(!ParagraphPieces::softSeparators(*edit.document()).empty(), pieces);
    QCOMPARE(edit.text(),
             LineBreaks::toCrLf(chunks.join(QString()).replace(u'\n', QChar::ParagraphSeparator)));
}

void TestPieces::editsKeepTheText_data() {
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<Expect>("expect");
    const auto keys = [](int offset, Qt::Key key, int times = 1) {
        return Edit([=](RichEdit& e, int sep) { clickKeys(e, sep + offset, key, times); });
    };
    const auto removed = [](int offset, int length) {
        return Expect([=](QString& t, int sep) { t.remove(sep + offset, length); });
    };
    const auto typed = [](int offset, const QString& what) {
        return std::pair{Edit([=](RichEdit& e, int sep) {
                             e.setSelStart(sep + offset);
                             QTest::keyClicks(e.widget(), what);
                         }),
                         Expect([=](QString& t, int sep) { t.insert(sep + offset, what); })};
    };
    const auto [typeEnd, typedEnd] = typed(0, QStringLiteral("ab"));
    QTest::newRow("typed at a piece's end") << typeEnd << typedEnd;
    const auto [typeStart, typedStart] = typed(1, QStringLiteral("ab"));
    QTest::newRow("typed at a piece's start") << typeStart << typedStart;
    QTest::newRow("backspace at a piece's start") << keys(1, Qt::Key_Backspace) << removed(0, 1);
    QTest::newRow("delete at a piece's end") << keys(0, Qt::Key_Delete) << removed(0, 1);
    QTest::newRow("delete over the separator") << keys(-2, Qt::Key_Delete, 5) << removed(-2, 5);
    QTest::newRow("enter inside a continuation piece")
        << keys(10, Qt::Key_Return)
        << Expect([](QString& t, int sep) { t.insert(sep + 10, QStringLiteral("\r\n")); });
    QTest::newRow("lines replace a stretch over the separator") << Edit([](RichEdit& e, int sep) {
        e.select(sep - 3, 7);
        e.replaceSelection(QStringLiteral("A\r\nB\r\nC"));
    }) << Expect([](QString& t, int sep) { t.replace(sep - 3, 7, QStringLiteral("A\r\nB\r\nC")); });
    QTest::newRow("enter and lines replacing the separator, both undone")
        << Edit([](RichEdit& e, int sep) {
               clickKeys(e, sep + 10, Qt::Key_Return);
               e.select(sep - 3, 7);
               e.replaceSelection(QStringLiteral("A\r\nB"));
               e.undo();
               e.undo();
           })
        << Expect([](QString&, int) {});
    QTest::newRow("copied over the separator, pasted at the end") << Edit([](RichEdit& e, int sep) {
        e.select(sep - 3, 7);
        e.copy();
        QCOMPARE(QApplication::clipboard()->text(), e.selectedText());
        e.setSelStart(e.textLength());
        e.paste();
    }) << Expect([](QString& t, int sep) { t.append(t.mid(sep - 3, 7)); });
    QTest::newRow("a long paragraph pasted is cut too") << Edit([](RichEdit& e, int) {
        e.setSelStart(e.textLength());
        e.replaceSelection(QStringLiteral("\r\n") + words(6000, u'v'));
        QVERIFY(ParagraphPieces::continues(e.document()->lastBlock()));
    }) << Expect([](QString& t, int) { t += QStringLiteral("\r\n") + words(6000, u'v'); });
    QTest::newRow("runs of spaces around separators squeezed") << Edit([](RichEdit& e, int sep) {
        clickKeys(e, sep, Qt::Key_Space, 3);
        clickKeys(e, sep + 4, Qt::Key_Space, 2);
        ExtraSpaces::remove(*e.document());
    }) << Expect([](QString& t, int sep) {
        t.insert(sep, QStringLiteral("   "));
        t.insert(sep + 4, QStringLiteral("  "));
        t = ExtraSpaces::squeezed(t);
    });
    // The next piece's text replaced by spaces: squeezing leaves one space for the two
    // separators and the spaces between them.
    const auto span = std::make_shared<std::pair<int, int>>();
    QTest::newRow("a piece of spaces only between separators squeezed")
        << Edit([span](RichEdit& e, int sep) {
               const std::vector<int> soft = ParagraphPieces::softSeparators(*e.document());
               // Qt positions are one less than the program's: one paragraph break stands before.
               const int next = *std::upper_bound(soft.begin(), soft.end(), sep - 1) + 1;
               *span = {sep + 1, next - sep - 1};
               e.select(span->first, span->second);
               e.replaceSelection(QStringLiteral("   "));
               ExtraSpaces::remove(*e.document());
           })
        << Expect([span](QString& t, int) {
               t.replace(span->first, span->second, QStringLiteral("   "));
               t = ExtraSpaces::squeezed(t);
           });
    // A piece typed longer than kLongPiece is cut with the keystroke that made it long: one undo
    // takes back both.
    // Keys in a long paragraph that is not cut merge into one undo step, as in any paragraph.
    QTest::newRow("typing in a long whole paragraph, undone at once") << Edit([](RichEdit& e, int) {
        e.setSelStart(e.textLength());
        e.replaceSelection(QStringLiteral("\r\n") + words(1500));
        QTest::keyClicks(e.widget(), QStringLiteral("abc"));
        e.undo();
    }) << Expect([](QString& t, int) { t += QStringLiteral("\r\n") + words(1500); });
    const auto filled = std::make_shared<int>(0);
    QTest::newRow("typing cuts a long piece, undo joins it again")
        << Edit([filled](RichEdit& e, int sep) {
               // The piece filled up to the length at which it is cut.
               e.setSelStart(sep + 3);
               const int length = e.document()->findBlock(sep + 2).length() - 1;
               *filled = ParagraphPieces::kLongPiece - length;
               e.replaceSelection(QString(*filled, u'q'));
               const int blocks = e.document()->blockCount();
               QTest::keyClick(e.widget(), Qt::Key_A);
               QVERIFY(e.document()->blockCount() > blocks);
               e.undo();
               QCOMPARE(e.document()->blockCount(), blocks);
           })
        << Expect([filled](QString& t, int sep) { t.insert(sep + 3, QString(*filled, u'q')); });
}

void TestPieces::editsKeepTheText() {
    QFETCH(Edit, edit);
    QFETCH(Expect, expect);
    QString model = QStringLiteral("head\r\n") + words(7000) + QStringLiteral("\r\ntail");
    RichEdit e;
    e.widget()->resize(500, 300);
    e.loadPlainText(LineBreaks::toEditorText(model));
    const std::vector<int> separators = ParagraphPieces::softSeparators(*e.document());
    QVERIFY(separators.size() > 5);
    // The third separator, as a program position: one paragraph break (two characters) before.
    const int sep = separators[2] + 1;
    QCOMPARE(model[sep], u' ');

    // The search text is read before the edit, so that it follows the edit as a stretch.
    SearchText search(e);
    search.text();
    edit(e, sep);
    expect(model, sep);

    QCOMPARE(e.text(), model);
    QCOMPARE(e.textLength(), model.size());
    QCOMPARE(textBytes(*e.document()), Cp1251::encode(model) + "\r\n");
    QCOMPARE(RtfWriter::toRtf(*e.document()), wholeRtf(model));
    QCOMPARE(search.text(), LineBreaks::crLfToSeparators(model));
    // Assistive technology reads the same text, one character per Qt position, and the long
    // paragraph as one.
    QAccessibleTextInterface* reader =
        QAccessible::queryAccessibleInterface(e.widget())->textInterface();
    const QString read =
        LineBreaks::crLfToSeparators(model).replace(QChar::ParagraphSeparator, u'\n');
    QCOMPARE(reader->text(0, reader->characterCount()), read);
    const auto at = std::min<qsizetype>(separators[2], read.size());
    const qsizetype start = read.lastIndexOf(u'\n', at - 1) + 1;
    const qsizetype end = read.indexOf(u'\n', at) < 0 ? read.size() : read.indexOf(u'\n', at);
    int from = 0;
    int to = 0;
    QCOMPARE(reader->textAtOffset(int(at), QAccessible::ParagraphBoundary, &from, &to),
             read.sliced(start, end - start));
    QCOMPARE(from, start);
    // The index the editor keeps of its pieces agrees with the pieces themselves.
    std::vector<int> flagged;
    for (QTextBlock b = e.document()->begin(); b.isValid(); b = b.next()) {
        if (ParagraphPieces::continues(b)) {
            flagged.push_back(b.blockNumber());
        }
    }
    QCOMPARE(PieceIndex::of(*e.document())->blockNumbers(), flagged);
    QVERIFY(flagged.empty() || flagged.front() > 0);
}

void TestPieces::paragraphFormatsCoverEveryPiece() {
    RichEdit e;
    e.loadPlainText(QStringLiteral("head\n") + words(7000));
    const int inside = 5 + 30000;
    e.setSelStart(inside);
    e.setParaAlignment(ParaAlignment::Center);
    e.setParaNumbering(ParaNumbering::Bullet);
    e.setParaStartIndent(720);
    const QTextBlock last = e.document()->lastBlock();
    for (QTextBlock b = ParagraphPieces::firstPiece(last); b.isValid(); b = b.next()) {
        QCOMPARE(b.blockFormat().alignment(), Qt::AlignHCenter);
        QVERIFY(b.textList() != nullptr);
        QCOMPARE(b.blockFormat().intProperty(TextProperty::StartIndent), 720);
    }
    QCOMPARE(e.document()->begin().textList(), nullptr);
    // The paragraph's start (and its bullet) is written once.
    const QByteArray rtf = RtfWriter::toRtf(*e.document());
    QCOMPARE(rtf.count("{\\listtext"), 1);
    QCOMPARE(rtf.count("\\par\r\n"), 1);
}

QTEST_MAIN(TestPieces)
#include "tst_pieces.moc"
