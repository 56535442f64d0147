#include "BulletRun.h"
#include "ParagraphPieces.h"
#include "RichEdit.h"

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextList>
#include <memory>

// The editor's selection against a stock QTextEdit holding the same document: the same mouse
// gestures and keys must select the same text, and Delete and Backspace must leave the same text.
// A paragraph held in pieces is compared with the same text held as one paragraph, in the
// positions of the paragraph's text.

using namespace Qt::StringLiterals;

namespace {

using ParagraphPieces::qtPosition;
using ParagraphPieces::textIndex;

// A place in the text: an index of the paragraphs' text, counted from its start, or with
// fromCut from the first cut of a paragraph in pieces (a space's index, or the index of the
// character after a cut between two characters).
struct Place {
    int offset;
    bool fromCut = false;
};

struct Step {
    enum Kind { Clicks, Drag, Key } kind;
    Place at{0};
    Place to{0};
    int count = 1; // clicks in a row, or key presses
    int key = 0;
    Qt::KeyboardModifiers modifiers;
};
using Steps = QList<Step>;

Step clicks(int count, Place at, Qt::KeyboardModifiers modifiers = {}) {
    return {Step::Clicks, at, at, count, 0, modifiers};
}
Step drag(int count, Place from, Place to) {
    return {Step::Drag, from, to, count, 0, {}};
}
Step key(int key, Qt::KeyboardModifiers modifiers = {}, int times = 1) {
    return {Step::Key, {0}, {0}, times, key, modifiers};
}

// The documents, each built the same way into both editors; the editor's then has its long
// paragraphs cut into pieces.
enum class Doc { Lines, Bullets, EmptyParagraphs, Mixed, WordsInPieces, OneWordInPieces };

QString words(int n) {
    QString text;
    for (int i = 0; i < n; ++i) {
        text += u'w' + QString::number(10000 + i) + u' ';
    }
    return text;
}

void build(QTextDocument& doc, Doc kind) {
    QTextCursor c(&doc);
    const auto lines = [&c](const QStringList& texts) { c.insertText(texts.join(u'\n')); };
    switch (kind) {
    case Doc::Lines:
        return lines({u"first line"_s, u"second line here"_s, u"third and last line"_s});
    case Doc::Bullets: {
        lines({u"plain head"_s, u"one bullet"_s, u"two bullets"_s, u"plain tail"_s});
        BulletRun bullets;
        bullets.add(doc.findBlockByNumber(1));
        bullets.add(doc.findBlockByNumber(2));
        return;
    }
    case Doc::EmptyParagraphs:
        return lines({QString(), u"alpha beta"_s, QString(), u"omega"_s, QString()});
    case Doc::Mixed: {
        lines({u"small and big words"_s, u"bold italic plain"_s, u"last"_s});
        QTextCharFormat big;
        big.setFontPointSize(24);
        big.setFontWeight(QFont::Bold);
        c.setPosition(10);
        c.setPosition(25, QTextCursor::KeepAnchor);
        c.mergeCharFormat(big);
        return;
    }
    case Doc::WordsInPieces:
        return lines({u"head"_s, words(5000).trimmed(), u"tail"_s});
    case Doc::OneWordInPieces:
        return lines({u"head"_s, QString(34000, u'x') + u" end"_s, u"tail"_s});
    }
}

// One of the two editors, with what it takes to compare them: its document and the place of a
// text index on its screen.
struct Side {
    QTextEdit* view = nullptr;
    int firstCut = 0; // the text index of the first cut, in a document with pieces

    QTextDocument& doc() const { return *view->document(); }
    int index(int position) const { return textIndex(doc(), QtPosition(position)).value; }
    int position(Place place) const {
        return qtPosition(doc(), TextIndex(place.offset + (place.fromCut ? firstCut : 0)), false)
            .value;
    }
    // The place's point in the viewport; with show, the view first scrolls it into sight.
    QPoint point(Place place, bool show) const {
        QTextCursor c(&doc());
        c.setPosition(position(place));
        const int y = view->cursorRect(c).center().y();
        if (show && (y < 0 || y >= view->viewport()->height())) {
            QScrollBar* bar = view->verticalScrollBar();
            bar->setValue(bar->value() + y - view->viewport()->height() / 3);
        }
        return view->cursorRect(c).center();
    }
    void mouse(QEvent::Type type, QPoint at, Qt::KeyboardModifiers modifiers) const {
        const bool held = type != QEvent::MouseButtonRelease;
        QMouseEvent event(type, at, view->viewport()->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                          held ? Qt::LeftButton : Qt::NoButton, modifiers);
        QApplication::sendEvent(view->viewport(), &event);
    }
    void play(const Step& step) const {
        if (step.kind == Step::Key) {
            for (int i = 0; i < step.count; ++i) {
                QTest::keyClick(view, Qt::Key(step.key), step.modifiers);
            }
            return;
        }
        const QPoint at = point(step.at, true);
        for (int i = 0; i < step.count; ++i) {
            mouse(QEvent::MouseButtonPress, at, step.modifiers);
            if (i == 1) {
                mouse(QEvent::MouseButtonDblClick, at, step.modifiers);
            }
            if (i + 1 < step.count) {
                mouse(QEvent::MouseButtonRelease, at, step.modifiers);
            }
        }
        const QPoint to = step.kind == Step::Drag ? point(step.to, false) : at;
        if (step.kind == Step::Drag) {
            mouse(QEvent::MouseMove, to, step.modifiers);
        }
        mouse(QEvent::MouseButtonRelease, to, step.modifiers);
    }
    // Anchor, caret and selected text, in the paragraphs' text.
    QString selection() const {
        const QTextCursor c = view->textCursor();
        return QStringLiteral("%1 to %2: \"%3\"")
            .arg(index(c.anchor()))
            .arg(index(c.position()))
            .arg(ParagraphPieces::text(doc(), c.selectionStart(), c.selectionEnd()));
    }
    QString text() const { return ParagraphPieces::rawText(doc()); }
};

} // namespace

Q_DECLARE_METATYPE(Doc)
Q_DECLARE_METATYPE(Steps)

class TestSelection : public QObject {
    Q_OBJECT
private slots:
    void sameAsStockTextEdit_data();
    void sameAsStockTextEdit();
};

void TestSelection::sameAsStockTextEdit_data() {
    QTest::addColumn<Doc>("doc");
    QTest::addColumn<Steps>("steps");
    // Where the editor differs on purpose: its selection after the steps, and why.
    QTest::addColumn<QStringList>("differs");
    const Qt::KeyboardModifiers shift = Qt::ShiftModifier;
    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    const auto row = [](const QByteArray& name, Doc doc, const Steps& steps,
                        const QStringList& differs = {}) {
        QTest::newRow(name.constData()) << doc << steps << differs;
    };
    // Ordinary lines: "first line", "second line here", "third and last line".
    row("click", Doc::Lines, {clicks(1, {14})});
    row("double click", Doc::Lines, {clicks(2, {15})});
    row("triple click, first line", Doc::Lines, {clicks(3, {3})});
    row("triple click, middle line", Doc::Lines, {clicks(3, {20})});
    row("triple click, last line", Doc::Lines, {clicks(3, {35})});
    row("shift+click", Doc::Lines, {clicks(1, {3}), clicks(1, {30}, shift)});
    row("drag back", Doc::Lines, {drag(1, {30}, {3})});
    row("double-click drag", Doc::Lines, {drag(2, {14}, {40})});
    row("triple-click drag down", Doc::Lines, {drag(3, {3}, {20})});
    row("triple-click drag up", Doc::Lines, {drag(3, {35}, {3})});
    row("shift+click after triple click", Doc::Lines, {clicks(3, {20}), clicks(1, {40}, shift)});
    row("shift+click before a triple click's line", Doc::Lines,
        {clicks(3, {35}), clicks(1, {14}, shift)});
    row("shift+arrows", Doc::Lines,
        {clicks(1, {14}), key(Qt::Key_Right, shift, 3), key(Qt::Key_Down, shift)});
    row("shift+home, shift+end", Doc::Lines,
        {clicks(1, {14}), key(Qt::Key_Home, shift), key(Qt::Key_End, shift)});
    row("ctrl+shift+arrows", Doc::Lines,
        {clicks(1, {14}), key(Qt::Key_Right, ctrl | shift, 3), key(Qt::Key_Left, ctrl | shift)});
    row("page down, shift+page up", Doc::Lines,
        {key(Qt::Key_PageDown), key(Qt::Key_PageUp, shift)});
    row("ctrl+end, ctrl+shift+home", Doc::Lines,
        {key(Qt::Key_End, ctrl), key(Qt::Key_Home, ctrl | shift)});
    row("ctrl+a", Doc::Lines, {clicks(1, {14}), key(Qt::Key_A, ctrl)});
    const QString byParagraph = u"Ctrl+Up and Ctrl+Down move by paragraph"_s;
    row("ctrl+shift+down", Doc::Lines, {clicks(1, {14}), key(Qt::Key_Down, ctrl | shift)},
        {u"14 to 28: \"ond line here\u2029\""_s, byParagraph});
    row("ctrl+shift+up", Doc::Lines, {clicks(1, {20}), key(Qt::Key_Up, ctrl | shift)},
        {u"20 to 11: \"second li\""_s, byParagraph});
    // Bullets, an empty paragraph, the first and the last paragraph, mixed formats.
    row("triple click, bullet", Doc::Bullets, {clicks(3, {14})});
    row("triple-click drag, bullets", Doc::Bullets, {drag(3, {25}, {14})});
    row("shift+down into bullets", Doc::Bullets, {clicks(1, {3}), key(Qt::Key_Down, shift, 2)});
    row("triple click, empty first paragraph", Doc::EmptyParagraphs, {clicks(3, {0})});
    row("triple click, empty paragraph", Doc::EmptyParagraphs, {clicks(3, {12})});
    row("triple click, empty last paragraph", Doc::EmptyParagraphs, {clicks(3, {20})});
    row("shift+arrows over empty paragraphs", Doc::EmptyParagraphs,
        {clicks(1, {0}), key(Qt::Key_Down, shift, 3), key(Qt::Key_Right, ctrl | shift)});
    row("triple click, big words", Doc::Mixed, {clicks(3, {12})});
    row("page down over big words", Doc::Mixed, {key(Qt::Key_Down), key(Qt::Key_PageDown, shift)});
    row("shift+up from the last line", Doc::Mixed,
        {key(Qt::Key_End, ctrl), key(Qt::Key_Up, shift, 2)});
    // Paragraphs in pieces: cut at spaces, and between characters.
    for (const Doc doc : {Doc::WordsInPieces, Doc::OneWordInPieces}) {
        const char* kind = doc == Doc::WordsInPieces ? "words" : "one word";
        const auto name = [kind](const char* gesture) {
            return QStringLiteral("%1 in pieces: %2").arg(kind, gesture).toUtf8();
        };
        row(name("triple click"), doc, {clicks(3, {-5, true})});
        row(name("triple click on a later piece"), doc, {clicks(3, {3000, true})});
        row(name("triple-click drag within"), doc, {drag(3, {-5, true}, {3000, true})});
        row(name("triple-click drag to the head"), doc, {drag(3, {3000, true}, {2})});
        row(name("shift+click after triple click"), doc,
            {clicks(3, {2}), clicks(1, {3, true}, shift)});
        row(name("double click across the cut"), doc, {clicks(2, {-1, true})});
        row(name("drag across the cut"), doc, {drag(1, {-3, true}, {3, true})});
        row(name("double-click drag over the cut"), doc, {drag(2, {-30, true}, {30, true})});
        row(name("double-click drag back over the cut"), doc, {drag(2, {30, true}, {-30, true})});
        row(name("shift+click after double click"), doc,
            {clicks(2, {-30, true}), clicks(1, {40, true}, shift)});
        row(name("shift+right over the cut"), doc,
            {clicks(1, {-2, true}), key(Qt::Key_Right, shift, 4)});
        row(name("shift+left over the cut"), doc,
            {clicks(1, {2, true}), key(Qt::Key_Left, shift, 4)});
        row(name("ctrl+shift+right over the cut"), doc,
            {clicks(1, {-9, true}), key(Qt::Key_Right, ctrl | shift, 2)});
        row(name("ctrl+shift+left over the cut"), doc,
            {clicks(1, {9, true}), key(Qt::Key_Left, ctrl | shift, 2)});
        row(name("ctrl+left from after the cut"), doc,
            {clicks(1, {1, true}), key(Qt::Key_Left, ctrl | shift, 1)});
        row(name("ctrl+right from before the cut"), doc,
            {clicks(1, {-1, true}), key(Qt::Key_Right, ctrl | shift, 1)});
        row(name("ctrl+right from the cut"), doc,
            {clicks(1, {0, true}), key(Qt::Key_Right, ctrl | shift, 1)});
        row(name("ctrl+left from the cut"), doc,
            {clicks(1, {0, true}), key(Qt::Key_Left, ctrl | shift, 1)});
        row(name("ctrl+shift+end"), doc, {clicks(1, {0, true}), key(Qt::Key_End, ctrl | shift)});
        row(name("ctrl+a"), doc, {clicks(1, {0, true}), key(Qt::Key_A, ctrl)});
    }
}

void TestSelection::sameAsStockTextEdit() {
    QFETCH(Doc, doc);
    QFETCH(Steps, steps);
    QFETCH(QStringList, differs);
    RichEdit edit;
    QTextEdit stock;
    for (QTextEdit* view : {edit.widget(), &stock}) {
        build(*view->document(), doc);
        view->document()->clearUndoRedoStacks();
        view->setLineWrapMode(QTextEdit::WidgetWidth);
        view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        view->resize(400, 200);
        view->show();
    }
    const int cuts = ParagraphPieces::cut(*edit.document(), 0, edit.document()->blockCount() - 1);
    const auto separators = ParagraphPieces::softSeparators(*edit.document());
    QCOMPARE(cuts > 0, !separators.empty());
    const Side zelto{
        edit.widget(),
        cuts > 0 ? textIndex(*edit.document(), QtPosition(separators.front().position)).value : 0};
    const Side oracle{&stock, zelto.firstCut};
    QVERIFY(QTest::qWaitForWindowExposed(&stock));
    QCOMPARE(zelto.text(), oracle.text());

    for (const Step& step : steps) {
        zelto.play(step);
        oracle.play(step);
    }
    if (!differs.isEmpty()) {
        QVERIFY2(zelto.selection() == differs[0],
                 qPrintable(differs[1] + u": "_s + zelto.selection()));
        QVERIFY2(oracle.selection() != differs[0], qPrintable(oracle.selection()));
        return;
    }
    QCOMPARE(zelto.selection(), oracle.selection());
    // What Delete and Backspace leave, and what undo brings back.
    const QString before = oracle.text();
    // Anchor and caret as numbers: a cursor would follow the deletion.
    const auto ends = [](const Side& side) {
        return std::pair{side.view->textCursor().anchor(), side.view->textCursor().position()};
    };
    const std::pair<int, int> selections[] = {ends(zelto), ends(oracle)};
    for (const Qt::Key k : {Qt::Key_Delete, Qt::Key_Backspace}) {
        for (const Side* side : {&zelto, &oracle}) {
            QTest::keyClick(side->view, k);
        }
        QCOMPARE(zelto.text(), oracle.text());
        QCOMPARE(zelto.selection(), oracle.selection());
        for (const Side* side : {&zelto, &oracle}) {
            QTest::keyClick(side->view, Qt::Key_Z, Qt::ControlModifier);
            QTextCursor c = side->view->textCursor();
            const auto [anchor, position] = selections[side == &zelto ? 0 : 1];
            c.setPosition(anchor);
            c.setPosition(position, QTextCursor::KeepAnchor);
            side->view->setTextCursor(c);
        }
        QCOMPARE(zelto.text(), before);
    }
}

QTEST_MAIN(TestSelection)
#include "tst_selection.moc"
