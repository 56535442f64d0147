#include "DocumentLayout.h"
#include "PerfLevel.h"
#include "RichEdit.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPointer>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <cmath>
#include <functional>
#include <memory>

namespace {

constexpr int kWidth = 420;
constexpr int kHeight = 300;

QString words(int count, int seed) {
    static const QStringList pool = {QStringLiteral("съешь"),  QStringLiteral("quick"),
                                     QStringLiteral("мягких"), QStringLiteral("brown"),
                                     QStringLiteral("булок"),  QStringLiteral("fox"),
                                     QStringLiteral("чаю"),    QStringLiteral("jumps")};
    QStringList out;
    for (int i = 0; i < count; ++i) {
        out << pool[(i * 7 + seed) % pool.size()];
    }
    return out.join(QLatin1Char(' '));
}

QString paragraphs(int count) {
    QStringList out;
    for (int i = 0; i < count; ++i) {
        out << words(6 + (i * 13) % 30, i);
    }
    return out.join(QLatin1Char('\n'));
}

void showSized(QWidget* w) {
    w->resize(kWidth, kHeight);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w));
}

// The same document shown by Qt's stock layout in an editor of the same size.
std::unique_ptr<QTextEdit> stockTwin(const RichEdit& edit) {
    auto twin = std::make_unique<QTextEdit>();
    twin->setLineWrapMode(QTextEdit::WidgetWidth);
    twin->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    twin->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QTextDocument* copy = edit.document()->clone(twin.get());
    copy->setDefaultFont(edit.document()->defaultFont());
    copy->setDocumentMargin(edit.document()->documentMargin());
    twin->setDocument(copy);
    return twin;
}

int laidOutBlocks(const QTextDocument* doc) {
    auto* layout = qobject_cast<DocumentLayout*>(doc->documentLayout());
    int count = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        count += layout->isLaidOut(b) ? 1 : 0;
    }
    return count;
}

// Milliseconds for Ctrl+End and the frame drawn after it, then for one typed character and its
// frame.
std::pair<double, double> endAndTypeTimes(RichEdit& edit) {
    QTextEdit* view = edit.widget();
    QElapsedTimer timer;
    timer.start();
    QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
    view->viewport()->repaint();
    const double end = timer.nsecsElapsed() / 1e6;
    timer.restart();
    QTest::keyClick(view, Qt::Key_X);
    view->viewport()->repaint();
    const double type = timer.nsecsElapsed() / 1e6;
    return {end, type};
}

} // namespace

class TestDocumentLayout : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { edit_.reset(); }

    void installedOnEveryDocument();
    void openedDocumentReplacesThePrevious();
    void blocksStackWithoutGaps();
    void matchesStockLayout_data();
    void matchesStockLayout();
    void heightFollowsEdits();
    void widthChangeRewraps();
    void onlyShownParagraphsAreLaidOut();
    void estimatedHeightIsClose_data();
    void estimatedHeightIsClose();
    void largeDocumentCostsLikeSmall();
    void longParagraphCostsLikeShort();
    void textStaysStillWhenEstimatesAreReplaced();
    void idleTimeMeasuresLikeLayout_data() { matchesStockLayout_data(); }
    void idleTimeMeasuresLikeLayout();
    void idleTimeSettlesTheScrollBar_data();
    void idleTimeSettlesTheScrollBar();
    void idleTimeMeasuresOnlyNearTheView();
    void scrollRangeAfterHeightsThatCancelOut();
    void drawsLikeStockLayout();
    void discFollowsTheTextSize();

private:
    void format(const QString& row, const QString& text = {});
    std::unique_ptr<RichEdit> edit_;
};

void TestDocumentLayout::init() {
    edit_ = std::make_unique<RichEdit>();
    showSized(edit_->widget());
}

void TestDocumentLayout::installedOnEveryDocument() {
    QVERIFY(qobject_cast<DocumentLayout*>(edit_->document()->documentLayout()));
    edit_->loadPlainText(QStringLiteral("a\nb"));
    QVERIFY(qobject_cast<DocumentLayout*>(edit_->document()->documentLayout()));
    QCOMPARE(edit_->document()->blockCount(), 2);
}

void TestDocumentLayout::openedDocumentReplacesThePrevious() {
    // Each open builds a new document; the previous one, as large as its text many times over,
    // must go with it.
    edit_->loadPlainText(QStringLiteral("first"));
    QPointer<QTextDocument> first = edit_->document();
    edit_->loadPlainText(QStringLiteral("second"));
    QVERIFY(first.isNull());
    QCOMPARE(edit_->widget()->findChildren<QTextDocument*>().size(), 1);
    QCOMPARE(edit_->document()->toPlainText(), QStringLiteral("second"));
}

void TestDocumentLayout::blocksStackWithoutGaps() {
    edit_->loadPlainText(paragraphs(40));
    QTextDocument* doc = edit_->document();
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    const qreal margin = doc->documentMargin();
    QCOMPARE(layout->blockBoundingRect(doc->begin()).top(), margin);
    qreal bottom = margin;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QRectF rect = layout->blockBoundingRect(b);
        QCOMPARE(rect.top(), bottom);
        QVERIFY(rect.height() > 0);
        bottom = rect.bottom();
    }
    QCOMPARE(layout->documentSize().height(), bottom + margin);
}

void TestDocumentLayout::format(const QString& row, const QString& text) {
    edit_->loadPlainText(!text.isEmpty()
                             ? text
                             : QStringLiteral("Первый абзац: ") + words(30, 1) + QLatin1Char('\n') +
                                   words(25, 2) + QLatin1Char('\n') + QStringLiteral("short\n") +
                                   words(40, 3));
    edit_->select(0, edit_->textLength());
    if (row == QLatin1String("indents")) {
        edit_->setParaStartIndent(720);
        edit_->setParaOffset(-360);
        edit_->setParaRightIndent(1440);
    } else if (row == QLatin1String("hanging")) {
        edit_->setParaStartIndent(0);
        edit_->setParaOffset(720);
    } else if (row == QLatin1String("centre")) {
        edit_->setParaAlignment(ParaAlignment::Center);
    } else if (row == QLatin1String("right")) {
        edit_->setParaAlignment(ParaAlignment::Right);
    } else if (row == QLatin1String("bullets")) {
        edit_->setParaOffset(360);
        edit_->setParaNumbering(ParaNumbering::Bullet);

    } else if (row == QLatin1String("empty paragraphs")) {
        edit_->loadPlainText(QStringLiteral("a\n\n\nb\n"));
        edit_->select(0, edit_->textLength());
        edit_->setSelSizeTwips(600);
    } else if (row == QLatin1String("character formats")) {
        edit_->select(5, 30);
        edit_->setSelSizeTwips(400);
        edit_->setSelStyles(fsBold | fsItalic);
    }
    edit_->setSelStart(0);
}

void TestDocumentLayout::matchesStockLayout_data() {
    QTest::addColumn<QString>("row");
    for (const char* row : {"plain", "indents", "hanging", "centre", "right", "bullets",
                            "empty paragraphs", "character formats"}) {
        QTest::newRow(row) << QString::fromLatin1(row);
    }
}

void TestDocumentLayout::matchesStockLayout() {
    QFETCH(QString, row);
    format(row);
    auto twin = stockTwin(*edit_);
    showSized(twin.get());
    QTextDocument* ours = edit_->document();
    QTextDocument* stock = twin->document();
    // The caret stands where the stock layout puts it, at every position.
    for (int pos = 0; pos < ours->characterCount(); ++pos) {
        QTextCursor a(ours);
        a.setPosition(pos);
        QTextCursor b(stock);
        b.setPosition(pos);
        QCOMPARE(edit_->widget()->cursorRect(a), twin->cursorRect(b));
    }
    // A click anywhere lands where it lands with the stock layout.
    for (int y = -5; y < kHeight + 40; y += 3) {
        for (int x = 0; x < kWidth; x += 11) {
            const QPointF p(x, y);
            QCOMPARE(ours->documentLayout()->hitTest(p, Qt::FuzzyHit),
                     stock->documentLayout()->hitTest(p, Qt::FuzzyHit));
        }
    }
    QCOMPARE(ours->documentLayout()->documentSize().height(),
             stock->documentLayout()->documentSize().height());
}

void TestDocumentLayout::heightFollowsEdits() {
    edit_->loadPlainText(QStringLiteral("one\ntwo\nthree"));
    QTextDocument* doc = edit_->document();
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    const qreal line = layout->blockBoundingRect(doc->begin()).height();
    const qreal total = layout->documentSize().height();

    edit_->setSelStart(3);
    edit_->replaceSelection(QLatin1Char(' ') + words(60, 4)); // wraps over several lines
    const qreal grown = layout->blockBoundingRect(doc->begin()).height();
    QVERIFY2(grown >= 3 * line, qPrintable(QString::number(grown)));
    QCOMPARE(layout->documentSize().height(), total + grown - line);
    QCOMPARE(layout->blockBoundingRect(doc->begin().next()).top(), doc->documentMargin() + grown);

    edit_->undo();
    QCOMPARE(layout->blockBoundingRect(doc->begin()).height(), line);
    QCOMPARE(layout->documentSize().height(), total);

    edit_->select(0, 5); // "one" CR LF: the first two paragraphs join
    edit_->replaceSelection(QString());
    QCOMPARE(doc->blockCount(), 2);
    QCOMPARE(layout->documentSize().height(), total - line);
}

void TestDocumentLayout::widthChangeRewraps() {
    edit_->loadPlainText(words(40, 5));
    QTextDocument* doc = edit_->document();
    QAbstractTextDocumentLayout* layout = doc->documentLayout();
    const qreal wide = layout->blockBoundingRect(doc->begin()).height();
    edit_->widget()->resize(kWidth / 2, kHeight);
    QApplication::processEvents();
    const qreal narrow = layout->blockBoundingRect(doc->begin()).height();
    QVERIFY2(narrow > wide, qPrintable(QStringLiteral("%1 %2").arg(wide).arg(narrow)));
    QCOMPARE(layout->documentSize().width(), doc->pageSize().width());
}

void TestDocumentLayout::onlyShownParagraphsAreLaidOut() {
    edit_->loadPlainText(paragraphs(5000));
    edit_->widget()->viewport()->repaint();
    QVERIFY2(laidOutBlocks(edit_->document()) < 40,
             qPrintable(QString::number(laidOutBlocks(edit_->document()))));
    // PageDown moves the caret a screen on and the view with it.
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(edit_->widget(), Qt::Key_PageDown);
    }
    QVERIFY(edit_->widget()->verticalScrollBar()->value() > 2 * kHeight);
    QVERIFY(edit_->widget()->viewport()->rect().contains(edit_->widget()->cursorRect()));
    QTest::keyClick(edit_->widget(), Qt::Key_End, Qt::ControlModifier);
    edit_->widget()->viewport()->repaint();
    QVERIFY(laidOutBlocks(edit_->document()) < 80);
    // Typing there lays out its own paragraph again, not the document.
    QTest::keyClick(edit_->widget(), Qt::Key_X);
    edit_->widget()->viewport()->repaint();
    QVERIFY(laidOutBlocks(edit_->document()) < 80);
    // The caret is on screen at the end.
    const QRect caret = edit_->widget()->cursorRect();
    QVERIFY(edit_->widget()->viewport()->rect().contains(caret));
    QCOMPARE(edit_->widget()->textCursor().position(), edit_->document()->characterCount() - 1);
    // PageUp walks back through paragraphs that were only estimated.
    for (int i = 0; i < 3; ++i) {
        QTest::keyClick(edit_->widget(), Qt::Key_PageUp);
    }
    QVERIFY(edit_->widget()->viewport()->rect().contains(edit_->widget()->cursorRect()));
}

void TestDocumentLayout::estimatedHeightIsClose_data() {
    QTest::addColumn<QString>("row");
    for (const char* row : {"plain", "indents", "hanging", "bullets"}) {
        QTest::newRow(row) << QString::fromLatin1(row);
    }
}

void TestDocumentLayout::estimatedHeightIsClose() {
    // The scroll bar is drawn from estimated heights, and far from the view they stay: they must
    // not be far from the real ones, indents and bullets included.
    QFETCH(QString, row);
    format(row, paragraphs(2000));
    edit_->widget()->resize(kWidth - 20, kHeight); // every height is an estimate again
    auto* layout = qobject_cast<DocumentLayout*>(edit_->document()->documentLayout());
    const qreal estimated = layout->documentSize().height();
    for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next()) {
        layout->ensureLaidOut(b);
    }
    const qreal real = layout->documentSize().height();
    QVERIFY2(std::abs(estimated - real) < 0.1 * real,
             qPrintable(QStringLiteral("estimated %1, real %2").arg(estimated).arg(real)));
}

void TestDocumentLayout::largeDocumentCostsLikeSmall() {
    if (!PerfLevel::isOn()) {
        QSKIP(PerfLevel::kSkipped);
    }
    // The fastest of three tries of each: other work on the machine only ever adds time.
    const auto fastest = [this](int count) {
        std::pair<double, double> best{1e9, 1e9};
        for (int i = 0; i < 3; ++i) {
            edit_->loadPlainText(paragraphs(count));
            edit_->widget()->viewport()->repaint();
            const auto t = endAndTypeTimes(*edit_);
            best = {std::min(best.first, t.first), std::min(best.second, t.second)};
        }
        return best;
    };
    fastest(200); // warms fonts and caches
    const auto small = fastest(200);
    const auto large = fastest(20000);
    // A floor keeps timer noise from deciding; the stock layout takes half a second here, a
    // hundred times the small document's cost.
    const double floor = 10.0;
    constexpr double margin = 8;
    QVERIFY2(
        large.first <= margin * std::max(small.first, floor),
        qPrintable(QStringLiteral("Ctrl+End %1 ms vs %2 ms").arg(large.first).arg(small.first)));
    QVERIFY2(
        large.second <= margin * std::max(small.second, floor),
        qPrintable(QStringLiteral("typing %1 ms vs %2 ms").arg(large.second).arg(small.second)));
}

void TestDocumentLayout::longParagraphCostsLikeShort() {
    if (!PerfLevel::isOn()) {
        QSKIP(PerfLevel::kSkipped);
    }
    // Qt analyses the whole of a paragraph's text before it draws a line of it or places the caret
    // in it. Kept for a long paragraph, that analysis is not redone by the caret's blink (a repaint
    // of the caret's rectangle) nor by PageDown, which then cost what they cost among short lines;
    // and tabs before the last tab stop do not make its layout cost its length squared.
    QTextEdit* view = edit_->widget();
    view->resize(1280, kHeight);
    edit_->setTabStops({19.25, 38.5, 59.5, 78.75, 99.75});
    const auto withTabs = [](QString text) {
        for (qsizetype i = 0, spaces = 0; i < text.size(); ++i) {
            if (text[i] == QLatin1Char(' ') && ++spaces % 4 == 0) {
                text[i] = QLatin1Char('\t');
            }
        }
        return text;
    };
    const auto fastest = [](int tries, const std::function<void()>& action) {
        double best = 1e9;
        for (int i = 0; i < tries; ++i) {
            QElapsedTimer timer;
            timer.start();
            action();
            best = std::min(best, timer.nsecsElapsed() / 1e6);
        }
        return best;
    };
    struct Costs {
        double open, blink, page;
    };
    const auto costs = [&](const QString& text) {
        Costs c{};
        c.open = fastest(2, [&] {
            edit_->loadPlainText(text);
            view->viewport()->repaint();
        });
        c.blink = fastest(5, [view] { view->viewport()->repaint(view->cursorRect()); });
        c.page = fastest(5, [view] {
            QTest::keyClick(view, Qt::Key_PageDown);
            view->viewport()->repaint();
        });
        return c;
    };
    costs(words(100, 6)); // warms fonts and caches
    // About 360,000 characters of words, every fourth followed by a tab: laid out whole in one
    // paragraph, and as far as the first screen in 6,000 short ones.
    const Costs lines = costs(withTabs(paragraphs(6000)));
    const Costs paragraph = costs(withTabs(words(60000, 6)));
    const auto check = [](const char* what, double ours, double reference, double factor) {
        const double floor = 1.0; // keeps timer noise from deciding
        QVERIFY2(ours <= factor * std::max(reference, floor),
                 qPrintable(QStringLiteral("%1: %2 ms vs %3 ms")
                                .arg(QLatin1String(what))
                                .arg(ours)
                                .arg(reference)));
    };
    check("open", paragraph.open, lines.open, 50);
    check("blink", paragraph.blink, lines.blink, 8);
    check("PageDown", paragraph.page, lines.page, 8);
}

void TestDocumentLayout::textStaysStillWhenEstimatesAreReplaced() {
    edit_->loadPlainText(paragraphs(3000));
    QTest::keyClick(edit_->widget(), Qt::Key_End, Qt::ControlModifier);
    edit_->widget()->viewport()->repaint();
    const QRect before = edit_->widget()->cursorRect();
    // Lay out paragraphs far above the view, whose real heights differ from the estimates.
    auto* layout = qobject_cast<DocumentLayout*>(edit_->document()->documentLayout());
    QTextBlock b = edit_->document()->begin();
    const int oldValue = edit_->widget()->verticalScrollBar()->value();
    for (int i = 0; i < 500; ++i, b = b.next()) {
        layout->ensureLaidOut(b);
    }
    QVERIFY(edit_->widget()->verticalScrollBar()->value() != oldValue);
    QCOMPARE(edit_->widget()->cursorRect(), before);
}

void TestDocumentLayout::idleTimeMeasuresLikeLayout() {
    QFETCH(QString, row);
    edit_->widget()->hide(); // nothing is drawn: every real height comes from idle time
    format(row);
    QTextDocument* doc = edit_->document();
    auto* layout = qobject_cast<DocumentLayout*>(doc->documentLayout());
    QTRY_VERIFY(layout->isSettled());
    QVERIFY(laidOutBlocks(doc) < doc->blockCount()); // the caret's paragraph is laid out
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const int measured = b.lineCount();
        layout->ensureLaidOut(b);
        QCOMPARE(b.lineCount(), measured);
    }
}

void TestDocumentLayout::idleTimeSettlesTheScrollBar_data() {
    QTest::addColumn<QString>("text");
    // Estimates too low (wide letters) and too high (narrow ones): paragraphs above the caret grow,
    // or shrink, as they are measured.
    QTest::newRow("wide") << paragraphs(3000);
    QTest::newRow("narrow")
        << QStringLiteral("il ji lit ").repeated(12).append('\n').repeated(3000);
}

void TestDocumentLayout::idleTimeSettlesTheScrollBar() {
    QFETCH(QString, text);
    QTextEdit* view = edit_->widget();
    for (const int width : {kWidth, kWidth / 2}) {
        if (width == kWidth) {
            edit_->loadPlainText(text);
        } else {
            view->resize(width, kHeight); // every height is an estimate again
        }
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        view->viewport()->repaint();
        const QRect caret = view->cursorRect();
        auto* layout = qobject_cast<DocumentLayout*>(edit_->document()->documentLayout());
        QVERIFY(!layout->isSettled());
        QTRY_VERIFY(layout->isSettled());
        // The text under the caret stayed where it was; the document's height is the real one.
        QCOMPARE(view->cursorRect(), caret);
        const qreal settled = layout->documentSize().height();
        for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next()) {
            layout->ensureLaidOut(b);
        }
        QCOMPARE(layout->documentSize().height(), settled);
    }
}

void TestDocumentLayout::idleTimeMeasuresOnlyNearTheView() {
    // A large document: idle time measures the paragraphs around the view, wherever it goes, and
    // leaves the rest alone; the text on screen stays still meanwhile.
    edit_->loadPlainText(paragraphs(6000));
    QTextDocument* doc = edit_->document();
    QScrollBar* bar = edit_->widget()->verticalScrollBar();
    auto* layout = qobject_cast<DocumentLayout*>(doc->documentLayout());
    for (const double at : {0.0, 0.5, 0.2}) {
        bar->setValue(static_cast<int>(bar->maximum() * at));
        edit_->widget()->viewport()->repaint();
        const QTextCursor shown = edit_->widget()->cursorForPosition(QPoint(0, 0));
        const QRect before = edit_->widget()->cursorRect(shown);
        QTRY_VERIFY(layout->isSettled());
        QCOMPARE(edit_->widget()->cursorRect(shown), before);
        // The paragraphs just above are measured: laying them out moves nothing.
        const qreal top = layout->blockTop(shown.block());
        for (QTextBlock b = shown.block();
             b.isValid() && b.blockNumber() > shown.blockNumber() - 40; b = b.previous()) {
            layout->ensureLaidOut(b);
        }
        QCOMPARE(layout->blockTop(shown.block()), top);
    }
    QVERIFY2(layout->settledCount() < doc->blockCount() / 5,
             qPrintable(QString::number(layout->settledCount())));
}

void TestDocumentLayout::scrollRangeAfterHeightsThatCancelOut() {
    // With the view at the end, one edit makes a paragraph above the view a line taller and one in
    // it a line shorter: the scroll range is the document's again afterwards.
    QStringList lines(30, QStringLiteral("short"));
    lines[20] = words(14, 2) + QStringLiteral(" end"); // two lines
    edit_->loadPlainText(lines.join(QLatin1Char('\n')));
    QTextDocument* doc = edit_->document();
    auto* layout = qobject_cast<DocumentLayout*>(doc->documentLayout());
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        layout->ensureLaidOut(b);
    }
    QTextEdit* view = edit_->widget();
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(bar->maximum());
    const qreal height = layout->documentSize().height();

    QTextCursor c(doc);
    c.beginEditBlock();
    c.movePosition(QTextCursor::EndOfBlock);
    c.insertText(QLatin1Char(' ') + words(14, 3)); // the first paragraph wraps once
    QTextBlock twenty = doc->findBlockByNumber(20);
    c.setPosition(twenty.position() + twenty.text().lastIndexOf(QLatin1Char(' ')));
    c.setPosition(twenty.position(), QTextCursor::KeepAnchor); // it no longer wraps
    c.removeSelectedText();
    c.endEditBlock();
    QCOMPARE(layout->documentSize().height(), height);
    QCOMPARE(bar->maximum(), static_cast<int>(std::ceil(height - view->viewport()->height())));
}

void TestDocumentLayout::drawsLikeStockLayout() {
    // Bullets, indents and alignment drawn pixel for pixel as the stock layout draws them; the
    // images are kept for a look by eye.
    for (const char* row : {"bullets", "indents", "centre", "character formats"}) {
        format(QString::fromLatin1(row));
        edit_->select(2, 40);
        auto twin = stockTwin(*edit_);
        showSized(twin.get());
        QTextCursor c(twin->document());
        c.setPosition(edit_->widget()->textCursor().anchor());
        c.setPosition(edit_->widget()->textCursor().position(), QTextCursor::KeepAnchor);
        twin->setTextCursor(c);
        // Neither has the focus: no blinking caret, the same selection colours.
        twin->clearFocus();
        edit_->widget()->clearFocus();
        const QImage stock = twin->viewport()->grab().toImage();
        const QImage ours = edit_->widget()->viewport()->grab().toImage();
        if (ours != stock) {
            // Both images, for a look at what differs, in a folder of their own that stays.
            QTemporaryDir kept(QDir::tempPath() + QStringLiteral("/zelto-layout-XXXXXX"));
            kept.setAutoRemove(false);
            ours.save(kept.filePath(QStringLiteral("%1-ours.png").arg(QString::fromLatin1(row))));
            stock.save(kept.filePath(QStringLiteral("%1-stock.png").arg(QString::fromLatin1(row))));
            QFAIL(qPrintable(QStringLiteral("%1 drawn otherwise than Qt draws it; images in %2")
                                 .arg(QString::fromLatin1(row), kept.path())));
        }
    }
}

void TestDocumentLayout::discFollowsTheTextSize() {
    // Both paragraphs' text is 28 pt; the first paragraph's mark keeps the default 14 pt. Both
    // show the same disc, drawn at the size of their text.
    edit_->loadPlainText(QStringLiteral("first\nsecond"));
    edit_->select(0, edit_->textLength());
    edit_->setSelSizeTwips(560);
    edit_->setParaOffset(360);
    edit_->setParaNumbering(ParaNumbering::Bullet);
    edit_->setSelStart(edit_->textLength());
    edit_->widget()->clearFocus();
    const QImage shown = edit_->widget()->viewport()->grab().toImage();
    QList<QImage> hanging; // the space left of each first line, where the disc stands
    const QTextDocument* doc = edit_->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QRectF block = doc->documentLayout()->blockBoundingRect(b);
        const QTextLine line = b.layout()->lineAt(0);
        hanging << shown.copy(
            QRectF(0, block.top() + line.y(), block.left() + line.x(), line.height()).toRect());
    }
    QCOMPARE(hanging.size(), 2);
    QCOMPARE(hanging.at(0), hanging.at(1));
}

QTEST_MAIN(TestDocumentLayout)
#include "tst_documentlayout.moc"
