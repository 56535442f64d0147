#include "CancellingPrompts.h"
#include "Cp1251.h"
#include "ExtraSpaces.h"
#include "Finder.h"
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
#include <QInputMethodEvent>
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

using ParagraphPieces::Joint;

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

// Text without a space, as base64 or a long word gives: n characters.
QString noSpaces(int n) {
    QString text;
    for (int i = 0; i < n; ++i) {
        text += QChar(u'A' + (i * 7 + i / 26) % 26);
    }
    return text;
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
Q_DECLARE_METATYPE(std::vector<ParagraphPieces::Cut>)
Q_DECLARE_METATYPE(Expect)

class TestPieces : public QObject {
    Q_OBJECT
private slots:
    void cutPoints_data();
    void cutPoints();
    void longParagraphsAreCut();
    void documentOutsideTheEditorFollowsItsEdits();
    void openFindsLongParagraphsAcrossChunks_data();
    void openFindsLongParagraphsAcrossChunks();
    void editsKeepTheText_data();
    void editsKeepTheText();
    void paragraphFormatsCoverEveryPiece();
};

void TestPieces::cutPoints_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::vector<ParagraphPieces::Cut>>("cuts");
    const auto a = [](int n) { return QString(n, u'a'); };
    QTest::newRow("short enough") << a(4096) << std::vector<ParagraphPieces::Cut>{};
    QTest::newRow("a space late in the piece, then none")
        << a(2000) + u' ' + a(3000)
        << std::vector<ParagraphPieces::Cut>{{2000, Joint::Space}, {4049, Joint::Nothing}};
    QTest::newRow("a space soon after the piece length")
        << a(2500) + u' ' + a(2000) << std::vector<ParagraphPieces::Cut>{{2500, Joint::Space}};
    QTest::newRow("a space too far after, then one soon after")
        << a(4200) + u' ' + a(100)
        << std::vector<ParagraphPieces::Cut>{{2048, Joint::Nothing}, {4200, Joint::Space}};
    QTest::newRow("a space as the last character is not cut at")
        << a(4199) + u' '
        << std::vector<ParagraphPieces::Cut>{{2048, Joint::Nothing}, {4096, Joint::Nothing}};
    QTest::newRow("a surrogate pair is not cut in two")
        << a(2047) + QString::fromUcs4(U"\U0001F600") + a(3000)
        << std::vector<ParagraphPieces::Cut>{{2047, Joint::Nothing}, {4095, Joint::Nothing}};
}

void TestPieces::cutPoints() {
    QFETCH(QString, text);
    QFETCH(std::vector<ParagraphPieces::Cut>, cuts);
    QCOMPARE(ParagraphPieces::cutPoints(text, true), cuts);
}

void TestPieces::longParagraphsAreCut() {
    const QString text = words(7000) + QStringLiteral("\r\nshort\r\n") + QString(40000, u'x');
    RichEdit edit;
    edit.loadPlainText(LineBreaks::toEditorText(text));
    QTextDocument& doc = *edit.document();
    // The worded paragraph is cut at spaces, the one without spaces between characters; the
    // short one is whole.
    QVERIFY(doc.blockCount() > 25);
    QCOMPARE(ParagraphPieces::jointBefore(doc.lastBlock()), Joint::Nothing);
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QVERIFY(b.length() - 1 <= SizeLimits::kPieceLength);
    }
    QCOMPARE(edit.text(), text);
    QCOMPARE(edit.textLength(), text.size());
    // Every program position maps to Qt and back; the short paragraph starts where it should.
    for (int p = 0; p <= text.size(); p += 97) {
        QCOMPARE(edit.toPosition(edit.toQtPosition(p)), Position(p));
    }
    const int shortStart = static_cast<int>(text.indexOf(u"short"));
    QCOMPARE(doc.findBlock(edit.toQtPosition(shortStart).value).text(), QStringLiteral("short"));
    // Every index of the search's text maps to Qt and back. At a cut that stands for nothing one
    // index has two Qt positions: the end of the piece before it and the start of the next.
    const qsizetype searchLength = ParagraphPieces::rawText(doc).size();
    for (int i = 0; i <= searchLength; i += 97) {
        for (const bool afterJoint : {false, true}) {
            const QtPosition qt = ParagraphPieces::qtPosition(doc, TextIndex(i), afterJoint);
            QCOMPARE(ParagraphPieces::textIndex(doc, qt), TextIndex(i));
        }
    }
    const QtPosition pieceEnd(doc.lastBlock().position() - 1);
    const TextIndex atCut = ParagraphPieces::textIndex(doc, pieceEnd);
    QCOMPARE(ParagraphPieces::textIndex(doc, pieceEnd + 1), atCut);
    QCOMPARE(ParagraphPieces::qtPosition(doc, atCut, false), pieceEnd);
    QCOMPARE(ParagraphPieces::qtPosition(doc, atCut, true), pieceEnd + 1);
    QCOMPARE(ParagraphPieces::textIndex(doc, QtPosition(doc.characterCount() - 1)).value,
             searchLength);
}

void TestPieces::documentOutsideTheEditorFollowsItsEdits() {
    QTextDocument doc;
    QTextCursor(&doc).insertText(words(7000));
    QVERIFY(ParagraphPieces::cut(doc, 0, 0) > 5);
    const std::vector<ParagraphPieces::Separator> before = ParagraphPieces::softSeparators(doc);
    QCOMPARE(ParagraphPieces::rawText(doc), words(7000));
    // The index made on that first read follows the edits after it.
    QTextCursor(&doc).insertText(QStringLiteral("x\n"));
    std::vector<ParagraphPieces::Separator> shifted = before;
    std::for_each(shifted.begin(), shifted.end(),
                  [](ParagraphPieces::Separator& s) { s.position += 2; });
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
    // Each row edits where two pieces meet, at the third cut of a paragraph cut at spaces
    // ("space": sep is the space's program position) or between characters ("nothing": sep is the
    // program position of the cut, the next piece's first character).
    QTest::addColumn<QString>("cuts");
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<Expect>("expect");
    const QString both = QStringLiteral("space nothing");
    const auto row = [](const QString& name, const QString& kinds, const Edit& edit,
                        const Expect& expect) {
        for (const QString& kind : kinds.split(u' ')) {
            QTest::addRow("%s, cut at %s", qPrintable(name), qPrintable(kind))
                << kind << edit << expect;
        }
    };
    const auto keys = [](int offset, Qt::Key key, int times = 1) {
        return Edit([=](RichEdit& e, int sep) { clickKeys(e, sep + offset, key, times); });
    };
    const auto removed = [](int offset, int length) {
        return Expect([=](QString& t, int sep) { t.remove(sep + offset, length); });
    };
    const auto inserted = [](int offset, const QString& what) {
        return Expect([=](QString& t, int sep) { t.insert(sep + offset, what); });
    };
    // The Qt positions of the separator at sep, among the document's separators inside
    // paragraphs, and of the one after it.
    const auto separatorAt = [](RichEdit& e, int sep) {
        const auto soft = ParagraphPieces::softSeparators(*e.document());
        const int qt = e.toQtPosition(sep).value;
        const auto at = std::find_if(soft.begin(), soft.end(),
                                     [qt](const auto& s) { return s.position >= qt - 1; });
        return std::pair{at->position, (at + 1)->position};
    };
    const auto typed = [](int offset, const QString& what) {
        return Edit([=](RichEdit& e, int sep) {
            e.setSelStart(sep + offset);
            QTest::keyClicks(e.widget(), what);
        });
    };
    // The caret at the end of the piece before the cut, the same program position as the next
    // piece's start.
    const auto atPieceEnd = [](RichEdit& e, int sep) {
        const QtPosition end(e.toQtPosition(sep).value - 1);
        e.select(end, end);
    };
    const QString ab = QStringLiteral("ab");
    row("typed at a piece's end", both, typed(0, ab), inserted(0, ab));
    row("typed at a piece's start", QStringLiteral("space"), typed(1, ab), inserted(1, ab));
    row("delete at the end of the piece before the cut", QStringLiteral("nothing"),
        Edit([atPieceEnd](RichEdit& e, int sep) {
            atPieceEnd(e, sep);
            QTest::keyClick(e.widget(), Qt::Key_Delete);
        }),
        removed(0, 1));
    row("backspace at a piece's start", QStringLiteral("space"), keys(1, Qt::Key_Backspace),
        removed(0, 1));
    row("backspace at the cut", QStringLiteral("nothing"), keys(0, Qt::Key_Backspace),
        removed(-1, 1));
    row("delete at a piece's end", both, keys(0, Qt::Key_Delete), removed(0, 1));
    row("delete over the separator", both, keys(-2, Qt::Key_Delete, 5), removed(-2, 5));
    row("left over the cut, one character a key", both, Edit([](RichEdit& e, int sep) {
            clickKeys(e, sep + 1, Qt::Key_Left, 2);
            QTest::keyClicks(e.widget(), QStringLiteral("Z"));
        }),
        inserted(-1, QStringLiteral("Z")));
    row("shift+right over the cut, typed over", both, Edit([](RichEdit& e, int sep) {
            e.setSelStart(sep - 1);
            QTest::keyClick(e.widget(), Qt::Key_Right, Qt::ShiftModifier);
            QTest::keyClick(e.widget(), Qt::Key_Right, Qt::ShiftModifier);
            QCOMPARE(e.selLength(), 2);
            QTest::keyClicks(e.widget(), QStringLiteral("Q"));
        }),
        Expect([](QString& t, int sep) { t.replace(sep - 1, 2, QStringLiteral("Q")); }));
    row("enter inside a continuation piece", both, keys(10, Qt::Key_Return),
        inserted(10, QStringLiteral("\r\n")));
    row("enter at the cut", both, keys(0, Qt::Key_Return), inserted(0, QStringLiteral("\r\n")));
    row("lines replace a stretch over the separator", both, Edit([](RichEdit& e, int sep) {
            e.select(sep - 3, 7);
            e.replaceSelection(QStringLiteral("A\r\nB\r\nC"));
        }),
        Expect([](QString& t, int sep) { t.replace(sep - 3, 7, QStringLiteral("A\r\nB\r\nC")); }));
    row("enter and lines replacing the separator, both undone", both,
        Edit([](RichEdit& e, int sep) {
            clickKeys(e, sep + 10, Qt::Key_Return);
            e.select(sep - 3, 7);
            e.replaceSelection(QStringLiteral("A\r\nB"));
            e.undo();
            e.undo();
        }),
        Expect([](QString&, int) {}));
    // A selection from a block's start leaves that block the format of the block it ended in:
    // the paragraph break or the separator before it must stay what it was.
    row("replaced from the paragraph's start past the cut", both, Edit([](RichEdit& e, int sep) {
            e.select(6, sep - 3);
            e.replaceSelection(QStringLiteral("R"));
        }),
        Expect([](QString& t, int sep) { t.replace(6, sep - 3, QStringLiteral("R")); }));
    const auto pieceStart = [](const QString& t, int sep) {
        return sep + (t[sep] == u' ' ? 1 : 0);
    };
    row("pasted over from a piece's start into the next paragraph", both,
        Edit([pieceStart](RichEdit& e, int sep) {
            const int start = pieceStart(e.text(), sep);
            e.select(start, e.textLength() - 2 - start);
            QApplication::clipboard()->setText(QStringLiteral("P"));
            e.paste();
        }),
        Expect([pieceStart](QString& t, int sep) {
            const int start = pieceStart(t, sep);
            t.replace(start, t.size() - 2 - start, QStringLiteral("P"));
        }));
    row("copied over the separator, pasted at the end", both, Edit([](RichEdit& e, int sep) {
            e.select(sep - 3, 7);
            e.copy();
            QCOMPARE(QApplication::clipboard()->text(), e.selectedText());
            e.setSelStart(e.textLength());
            e.paste();
        }),
        Expect([](QString& t, int sep) { t.append(t.mid(sep - 3, 7)); }));
    row("found across the separator", both, Edit([](RichEdit& e, int sep) {
            CancellingPrompts prompts;
            Finder finder(e, prompts);
            finder.FindPos = sep - 10;
            QVERIFY(finder.findNext(e.text().mid(sep - 3, 7), true));
            QCOMPARE(e.selStart(), Position(sep - 3));
            QCOMPARE(e.selLength(), 7);
            e.replaceSelection(QStringLiteral("F"));
        }),
        Expect([](QString& t, int sep) { t.replace(sep - 3, 7, QStringLiteral("F")); }));
    // The next piece's text taken away (replaced by spaces): the piece is joined at once, and
    // squeezing leaves one space for the separators and the spaces between them.
    const auto span = std::make_shared<std::pair<int, int>>();
    const auto nextPiece = [span, separatorAt](RichEdit& e, int sep) {
        const auto [at, next] = separatorAt(e, sep);
        const Position start = e.toPosition(QtPosition(at + 1));
        *span = {start.value, e.toPosition(QtPosition(next)) - start};
        e.select(span->first, span->second);
    };
    row("a piece emptied by deletion", both, Edit([nextPiece](RichEdit& e, int sep) {
            nextPiece(e, sep);
            QTest::keyClick(e.widget(), Qt::Key_Delete);
        }),
        Expect([span](QString& t, int) { t.remove(span->first, span->second); }));
    row("a piece emptied by cut, undone", both, Edit([nextPiece](RichEdit& e, int sep) {
            nextPiece(e, sep);
            const int blocks = e.document()->blockCount();
            e.cut();
            QCOMPARE(e.document()->blockCount(), blocks - 1);
            e.undo();
            QCOMPARE(e.document()->blockCount(), blocks);
        }),
        Expect([](QString&, int) {}));
    row("a piece of spaces only between separators squeezed", both,
        Edit([nextPiece](RichEdit& e, int sep) {
            nextPiece(e, sep);
            e.replaceSelection(QStringLiteral("   "));
            ExtraSpaces::remove(*e.document());
        }),
        Expect([span](QString& t, int) {
            t.replace(span->first, span->second, QStringLiteral("   "));
            t = ExtraSpaces::squeezed(t);
        }));
    row("runs of spaces around separators squeezed", both, Edit([](RichEdit& e, int sep) {
            clickKeys(e, sep, Qt::Key_Space, 3);
            clickKeys(e, sep + 4, Qt::Key_Space, 2);
            ExtraSpaces::remove(*e.document());
        }),
        Expect([](QString& t, int sep) {
            t.insert(sep, QStringLiteral("   "));
            t.insert(sep + 4, QStringLiteral("  "));
            t = ExtraSpaces::squeezed(t);
        }));
    row("spaces on both sides of the cut squeezed", QStringLiteral("nothing"),
        Edit([atPieceEnd](RichEdit& e, int sep) {
            atPieceEnd(e, sep);
            QTest::keyClicks(e.widget(), QStringLiteral("  "));
            e.setSelStart(sep + 2);
            QTest::keyClicks(e.widget(), QStringLiteral("  "));
            ExtraSpaces::remove(*e.document());
        }),
        Expect([](QString& t, int sep) { t.insert(sep, u' '); }));
    // Keys in a long paragraph that is not cut merge into one undo step, as in any paragraph.
    row("typing in a long whole paragraph, undone at once", both, Edit([](RichEdit& e, int) {
            e.setSelStart(e.textLength());
            e.replaceSelection(QStringLiteral("\r\n") + words(1500));
            QTest::keyClicks(e.widget(), QStringLiteral("abc"));
            e.undo();
        }),
        Expect([](QString& t, int) { t += QStringLiteral("\r\n") + words(1500); }));
    // A piece typed or composed longer than kLongPiece is cut in the same step: one undo takes
    // back both.
    const auto filled = std::make_shared<int>(0);
    const auto fill = [filled](RichEdit& e, int sep) {
        e.setSelStart(sep + 3);
        const int length = e.document()->findBlock(e.toQtPosition(sep + 3).value).length() - 1;
        *filled = SizeLimits::kLongPiece - length;
        e.replaceSelection(QString(*filled, u'q'));
        return e.document()->blockCount();
    };
    const auto cutThenUndone = [fill](const std::function<void(QWidget*)>& lengthen) {
        return Edit([=](RichEdit& e, int sep) {
            const int blocks = fill(e, sep);
            lengthen(e.widget());
            QVERIFY(e.document()->blockCount() > blocks);
            e.undo();
            QCOMPARE(e.document()->blockCount(), blocks);
        });
    };
    const Expect filledIn(
        [filled](QString& t, int sep) { t.insert(sep + 3, QString(*filled, u'q')); });
    row("typing cuts a long piece, undo joins it again", both,
        cutThenUndone([](QWidget* w) { QTest::keyClick(w, Qt::Key_A); }), filledIn);
    row("text composed by an input method cuts a long piece, undo joins it", both,
        cutThenUndone([](QWidget* w) {
            QInputMethodEvent composed;
            composed.setCommitString(QStringLiteral("ab"));
            QApplication::sendEvent(w, &composed);
        }),
        filledIn);
    row("a long paragraph pasted is cut too", both, Edit([](RichEdit& e, int) {
            e.setSelStart(e.textLength());
            e.replaceSelection(QStringLiteral("\r\n") + noSpaces(40000));
            QCOMPARE(ParagraphPieces::jointBefore(e.document()->lastBlock()), Joint::Nothing);
        }),
        Expect([](QString& t, int) { t += QStringLiteral("\r\n") + noSpaces(40000); }));
}

void TestPieces::editsKeepTheText() {
    QFETCH(QString, cuts);
    QFETCH(Edit, edit);
    QFETCH(Expect, expect);
    const bool atSpaces = cuts == QLatin1String("space");
    QString model = QStringLiteral("head\r\n") + (atSpaces ? words(7000) : noSpaces(42000)) +
                    QStringLiteral("\r\ntail");
    RichEdit e;
    e.widget()->resize(500, 300);
    e.loadPlainText(LineBreaks::toEditorText(model));
    const auto separators = ParagraphPieces::softSeparators(*e.document());
    QVERIFY(separators.size() > 5);
    QCOMPARE(separators[2].joint, atSpaces ? Joint::Space : Joint::Nothing);
    const int sep = e.toPosition(QtPosition(separators[2].position)).value;
    QCOMPARE(model[sep] == u' ', atSpaces);

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
    // Assistive technology reads the same text, one character per Qt position (a separator that
    // stands for nothing as a zero-width space), and the long paragraph as one.
    QAccessibleTextInterface* reader =
        QAccessible::queryAccessibleInterface(e.widget())->textInterface();
    const QString all = reader->text(0, reader->characterCount());
    QCOMPARE(all.size(), e.document()->characterCount() - 1);
    QCOMPARE(QString(all).remove(ParagraphPieces::kNothingStandIn),
             LineBreaks::crLfToSeparators(model).replace(QChar::ParagraphSeparator, u'\n'));
    const auto at = std::min<qsizetype>(separators[2].position, all.size());
    const qsizetype start = all.lastIndexOf(u'\n', at - 1) + 1;
    const qsizetype end = all.indexOf(u'\n', at) < 0 ? all.size() : all.indexOf(u'\n', at);
    int from = 0;
    int to = 0;
    QCOMPARE(reader->textAtOffset(int(at), QAccessible::ParagraphBoundary, &from, &to),
             all.sliced(start, end - start));
    QCOMPARE(from, start);
    // The index the editor keeps of its pieces agrees with the pieces themselves; no piece is
    // empty or too long.
    std::vector<int> flagged;
    std::vector<int> joinedByNothing;
    for (QTextBlock b = e.document()->begin(); b.isValid(); b = b.next()) {
        const Joint joint = ParagraphPieces::jointBefore(b);
        if (joint != Joint::Break) {
            flagged.push_back(b.blockNumber());
        }
        if (joint == Joint::Nothing) {
            joinedByNothing.push_back(b.blockNumber());
        }
        const bool piece = joint != Joint::Break || ParagraphPieces::continues(b.next());
        QVERIFY2(!piece || (b.length() > 1 && b.length() - 1 <= SizeLimits::kLongPiece),
                 qPrintable(QStringLiteral("piece %1 of %2").arg(b.blockNumber()).arg(b.length())));
    }
    const PieceIndex& index = *PieceIndex::of(*e.document());
    QCOMPARE(index.blockNumbers(), flagged);
    QCOMPARE(index.joinedByNothing(), joinedByNothing);
    QVERIFY(flagged.empty() || flagged.front() > 0);
    // Every program position maps to Qt and back.
    for (int p = 0; p <= model.size(); p += 331) {
        QCOMPARE(e.toPosition(e.toQtPosition(p)), Position(p));
    }
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
