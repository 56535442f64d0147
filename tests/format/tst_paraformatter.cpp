#include "BulletRun.h"
#include "Errors.h"
#include "ParaFormatter.h"
#include "PerfLevel.h"
#include "RichEdit.h"

#include <QAbstractTextDocumentLayout>
#include <QElapsedTimer>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTextList>
#include <algorithm>
#include <memory>
#include <utility>

namespace {

// One paragraph's attributes as the editor reports them.
struct Para {
    ParaAlignment alignment = ParaAlignment::Left;
    ParaNumbering numbering = ParaNumbering::None;
    int start = 0;
    int offset = 0;
    int right = 0;
    friend bool operator==(const Para&, const Para&) = default;
};

char* toString(const Para& p) {
    return QTest::toString(QStringLiteral("align %1 bullet %2 start %3 offset %4 right %5")
                               .arg(int(p.alignment))
                               .arg(int(p.numbering))
                               .arg(p.start)
                               .arg(p.offset)
                               .arg(p.right));
}

} // namespace

class TestParaFormatter : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void bulletToggle_data();
    void bulletToggle();
    void bulletOnThenOffRestoresNoOffset();
    void bulletOffClearsOffsetSetByDialog();
    void bulletOnMixedSelectionFollowsFirstParagraph();
    void alignmentTouchesEverySelectedParagraph_data();
    void alignmentTouchesEverySelectedParagraph();
    void applyDialog_data();
    void applyDialog();
    void applyDialogStopsAtBadText_data();
    void applyDialogStopsAtBadText();
    void bulletKeepsEachParagraphsOtherValues();
    void bulletOverManyParagraphsKeepsListsShort();
    void bulletOverManyParagraphsTakesLinearTime();
    void indentsAreDrawn();
    void bulletTakenOffByTheEditorRedrawsIndents();

private:
    // Three paragraphs, each with its own distinct attributes.
    void setUpThreeParagraphs();
    Para paraAt(int position);
    void setPara(int position, const Para& p);

    std::unique_ptr<RichEdit> edit_;
    std::unique_ptr<ParaFormatter> formatter_;
};

void TestParaFormatter::init() {
    edit_ = std::make_unique<RichEdit>();
    formatter_ = std::make_unique<ParaFormatter>(*edit_);
}

void TestParaFormatter::cleanup() {
    formatter_.reset();
    edit_.reset();
}

Para TestParaFormatter::paraAt(int position) {
    edit_->setSelStart(position);
    return {edit_->paraAlignment(), edit_->paraNumbering(), edit_->paraStartIndent(),
            edit_->paraOffset(), edit_->paraRightIndent()};
}

void TestParaFormatter::setPara(int position, const Para& p) {
    edit_->setSelStart(position);
    edit_->setParaAlignment(p.alignment);
    edit_->setParaStartIndent(p.start);
    edit_->setParaOffset(p.offset);
    edit_->setParaRightIndent(p.right);
    edit_->setParaNumbering(p.numbering);
}

void TestParaFormatter::setUpThreeParagraphs() {
    // Positions: "one" 0..3, "two" 5..8, "three" 10..15.
    edit_->setText(QStringLiteral("one\r\ntwo\r\nthree"));
}

void TestParaFormatter::bulletToggle_data() {
    QTest::addColumn<int>("numbering");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("expectedNumbering");
    QTest::addColumn<int>("expectedOffset");
    QTest::newRow("on with offset 0") << 0 << 0 << 1 << 200;
    QTest::newRow("on with offset 15 pt keeps it") << 0 << 300 << 1 << 300;
    QTest::newRow("on with exactly 10 pt keeps it") << 0 << 200 << 1 << 200;
    QTest::newRow("on with 9.95 pt (truncated to 9) raises it") << 0 << 199 << 1 << 200;
    QTest::newRow("on with negative offset") << 0 << -100 << 1 << 200;
    QTest::newRow("off with offset 15 pt") << 1 << 300 << 0 << 0;
    QTest::newRow("off with offset 0") << 1 << 0 << 0 << 0;
}

void TestParaFormatter::bulletToggle() {
    QFETCH(int, numbering);
    QFETCH(int, offset);
    QFETCH(int, expectedNumbering);
    QFETCH(int, expectedOffset);
    setUpThreeParagraphs();
    const Para before{ParaAlignment::Right, ParaNumbering(numbering), 140, offset, 60};
    setPara(6, before);

    edit_->setSelStart(6);
    formatter_->toggleBullet();

    Para expected = before;
    expected.numbering = ParaNumbering(expectedNumbering);
    expected.offset = expectedOffset;
    QCOMPARE(paraAt(6), expected);
    // The neighbours are untouched.
    QCOMPARE(paraAt(0), Para{});
    QCOMPARE(paraAt(12), Para{});
    QCOMPARE(edit_->text(), QStringLiteral("one\r\ntwo\r\nthree"));
}

void TestParaFormatter::bulletOnThenOffRestoresNoOffset() {
    setUpThreeParagraphs();
    edit_->setSelStart(1);
    formatter_->toggleBullet();
    QCOMPARE(paraAt(1), (Para{ParaAlignment::Left, ParaNumbering::Bullet, 0, 200, 0}));
    formatter_->toggleBullet();
    QCOMPARE(paraAt(1), Para{});
}

void TestParaFormatter::bulletOffClearsOffsetSetByDialog() {
    setUpThreeParagraphs();
    edit_->setSelStart(1);
    formatter_->applyDialog(0, QStringLiteral("30"), QStringLiteral("0"), QStringLiteral("0"));
    formatter_->toggleBullet();
    QCOMPARE(paraAt(1).offset, 600);
    QCOMPARE(paraAt(1).numbering, ParaNumbering::Bullet);
    formatter_->toggleBullet();
    QCOMPARE(paraAt(1), Para{});
}

void TestParaFormatter::bulletOnMixedSelectionFollowsFirstParagraph() {
    setUpThreeParagraphs();
    setPara(6, Para{ParaAlignment::Left, ParaNumbering::Bullet, 0, 400, 0});
    // First touched paragraph without a bullet: every touched paragraph gets offset 10 pt (the
    // larger 20 pt of the second one included) and a bullet.
    edit_->select(1, 6);
    formatter_->toggleBullet();
    const Para on{ParaAlignment::Left, ParaNumbering::Bullet, 0, 200, 0};
    QCOMPARE(paraAt(1), on);
    QCOMPARE(paraAt(6), on);
    QCOMPARE(paraAt(12), Para{});
    // Now the first has one: all go off.
    edit_->select(1, 12);
    formatter_->toggleBullet();
    QCOMPARE(paraAt(1), Para{});
    QCOMPARE(paraAt(6), Para{});
    QCOMPARE(paraAt(12), Para{});
}

void TestParaFormatter::alignmentTouchesEverySelectedParagraph_data() {
    QTest::addColumn<int>("alignment");
    QTest::newRow("left") << int(ParaAlignment::Left);
    QTest::newRow("centre") << int(ParaAlignment::Center);
    QTest::newRow("right") << int(ParaAlignment::Right);
}

void TestParaFormatter::alignmentTouchesEverySelectedParagraph() {
    QFETCH(int, alignment);
    edit_->setText(QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
    const Para indented{ParaAlignment::Center, ParaNumbering::Bullet, 100, 300, 40};
    for (int position : {0, 5, 10, 17}) {
        setPara(position, indented);
    }
    // From inside "one" to inside "three": three paragraphs touched.
    edit_->select(2, 10);
    formatter_->setAlignment(ParaAlignment(alignment));
    Para expected = indented;
    expected.alignment = ParaAlignment(alignment);
    QCOMPARE(paraAt(0), expected);
    QCOMPARE(paraAt(5), expected);
    QCOMPARE(paraAt(10), expected);
    QCOMPARE(paraAt(17), indented);
}

void TestParaFormatter::applyDialog_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("offset");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("first");
    QTest::addColumn<int>("expectedAlignment");
    QTest::addColumn<int>("expectedStart");
    QTest::addColumn<int>("expectedOffset");
    QTest::addColumn<int>("expectedRight");
    // The paragraphs start right-aligned with start 60, offset 80, right 100 twips.
    QTest::newRow("centre with zeros clears every indent")
        << 1 << "0"
        << "0"
        << "0" << int(ParaAlignment::Center) << 0 << 0 << 0;
    QTest::newRow("left 20, right 0, first line 10")
        << 0 << "20"
        << "0"
        << "10" << int(ParaAlignment::Left) << 200 << 400 << 0;
    QTest::newRow("right 100 everywhere")
        << 2 << "100"
        << "100"
        << "100" << int(ParaAlignment::Right) << 2000 << 2000 << 2000;
    QTest::newRow("no entry selected writes no alignment")
        << -1 << "1"
        << "2"
        << "3" << int(ParaAlignment::Right) << 60 << 20 << 40;
    QTest::newRow("integer texts the fields did not rewrite")
        << 0 << " +7"
        << "-5"
        << "250" << int(ParaAlignment::Left) << 5000 << 140 << -100;
}

void TestParaFormatter::applyDialog() {
    QFETCH(int, index);
    QFETCH(QString, offset);
    QFETCH(QString, right);
    QFETCH(QString, first);
    QFETCH(int, expectedAlignment);
    QFETCH(int, expectedStart);
    QFETCH(int, expectedOffset);
    QFETCH(int, expectedRight);
    setUpThreeParagraphs();
    const Para before{ParaAlignment::Right, ParaNumbering::Bullet, 60, 80, 100};
    for (int position : {0, 5, 10}) {
        setPara(position, before);
    }
    edit_->select(1, 6);
    formatter_->applyDialog(index, offset, right, first);
    const Para expected{ParaAlignment(expectedAlignment), ParaNumbering::Bullet, expectedStart,
                        expectedOffset, expectedRight};
    QCOMPARE(paraAt(1), expected);
    QCOMPARE(paraAt(6), expected);
    QCOMPARE(paraAt(11), before);
}

void TestParaFormatter::applyDialogStopsAtBadText_data() {
    QTest::addColumn<QString>("offset");
    QTest::addColumn<QString>("right");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("expectedStart");
    QTest::addColumn<int>("expectedOffset");
    QTest::addColumn<int>("expectedRight");
    // Before: start 60, offset 80, right 100 twips.
    QTest::newRow("offset") << "abc"
                            << "1"
                            << "2"
                            << "'abc' is not a valid integer value" << 60 << 80 << 100;
    QTest::newRow("right") << "5"
                           << ""
                           << "2"
                           << "'' is not a valid integer value" << 60 << 100 << 100;
    QTest::newRow("first line") << "5"
                                << "6"
                                << "1.5"
                                << "'1.5' is not a valid integer value" << 60 << 100 << 120;
}

void TestParaFormatter::applyDialogStopsAtBadText() {
    QFETCH(QString, offset);
    QFETCH(QString, right);
    QFETCH(QString, first);
    QFETCH(QString, message);
    QFETCH(int, expectedStart);
    QFETCH(int, expectedOffset);
    QFETCH(int, expectedRight);
    setUpThreeParagraphs();
    setPara(1, Para{ParaAlignment::Left, ParaNumbering::None, 60, 80, 100});
    edit_->setSelStart(1);
    try {
        formatter_->applyDialog(2, offset, right, first);
        QFAIL("no ConvertError");
    } catch (const ConvertError& e) {
        QCOMPARE(e.message(), message);
    }
    // The alignment was written first and stays, with the indents before the bad field.
    QCOMPARE(paraAt(1), (Para{ParaAlignment::Right, ParaNumbering::None, expectedStart,
                              expectedOffset, expectedRight}));
}

void TestParaFormatter::bulletKeepsEachParagraphsOtherValues() {
    edit_->setText(QStringLiteral("one\r\ntwo\r\nthree\r\nfour"));
    const Para a{ParaAlignment::Right, ParaNumbering::None, 100, 0, 20};
    const Para b{ParaAlignment::Center, ParaNumbering::None, 300, 40, 0};
    setPara(0, a);
    setPara(5, a);
    setPara(10, b);
    setPara(17, a);
    edit_->selectAll();
    formatter_->toggleBullet();
    for (int position : {0, 5, 10, 17}) {
        Para expected = position == 10 ? b : a;
        expected.numbering = ParaNumbering::Bullet;
        expected.offset = 200;
        QCOMPARE(paraAt(position), expected);
    }
}

void TestParaFormatter::bulletOverManyParagraphsKeepsListsShort() {
    // One Qt list over every paragraph made bullets take minutes: its bookkeeping is linear in the
    // list's size for each paragraph added or removed. No list may grow with the selection.
    edit_->loadPlainText(QStringLiteral("paragraph\n").repeated(1000));
    // The paragraphs in lists, and the longest list.
    const auto lists = [this] {
        std::pair<int, int> found{0, 0};
        for (QTextBlock b = edit_->document()->begin(); b.isValid(); b = b.next()) {
            if (const QTextList* list = b.textList()) {
                found = {found.first + 1, std::max(found.second, list->count())};
            }
        }
        return found;
    };
    edit_->selectAll();
    formatter_->toggleBullet();
    const auto [bulleted, longest] = lists();
    QCOMPARE(bulleted, edit_->document()->blockCount());
    QVERIFY2(longest <= BulletRun::kParagraphsPerList, qPrintable(QString::number(longest)));
    formatter_->toggleBullet();
    QCOMPARE(lists().first, 0);
}

void TestParaFormatter::bulletOverManyParagraphsTakesLinearTime() {
    if (!PerfLevel::isOn()) {
        QSKIP(PerfLevel::kSkipped);
    }
    // One Qt list over every paragraph made this take minutes: its bookkeeping is linear in the
    // list's size for each paragraph added or removed.
    constexpr int kParagraphs = 20000;
    edit_->loadPlainText(QStringLiteral("paragraph\n").repeated(kParagraphs));
    edit_->selectAll();
    QElapsedTimer timer;
    timer.start();
    formatter_->toggleBullet();
    formatter_->toggleBullet();
    QVERIFY2(timer.elapsed() < 30000, qPrintable(QString::number(timer.elapsed())));
    edit_->setSelStart(edit_->textLength());
    QCOMPARE(paraAt(edit_->textLength()).numbering, ParaNumbering::None);
}

void TestParaFormatter::indentsAreDrawn() {
    QTextEdit* view = edit_->widget();
    view->resize(420, 300);
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view));
    const QString words = QStringLiteral("word ").repeated(80);
    edit_->setText(words + QStringLiteral("\r\n") + words);
    const qreal k = edit_->pixelsPerTwip();
    const qreal margin = edit_->document()->documentMargin();
    const qreal width = view->viewport()->width();

    // "Слева" 20, "Справа" 15, "Первой строки на:" 10 on the first paragraph.
    edit_->setSelStart(0);
    formatter_->applyDialog(0, QStringLiteral("20"), QStringLiteral("15"), QStringLiteral("10"));
    // A bullet on the second, at offset 10 pt from its start 0.
    edit_->setSelStart(words.size() + 3);
    formatter_->toggleBullet();
    QCoreApplication::processEvents();

    // Where each line of a paragraph starts, in pixels from the left margin.
    const auto lineLefts = [&](const QTextBlock& block) {
        view->document()->documentLayout()->blockBoundingRect(block);
        const QTextLayout* layout = block.layout();
        QList<qreal> lefts;
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            const qreal left = layout->position().x() + line.x() - margin;
            lefts.append(left);
            // Every line ends at the paragraph's right indent.
            const int right = block.blockFormat().intProperty(TextProperty::RightIndent);
            if (left + line.naturalTextWidth() > width - 2 * margin - right * k + 1) {
                qWarning() << "line" << i << "ends at" << left + line.naturalTextWidth();
                return QList<qreal>();
            }
        }
        return lefts;
    };
    const QTextBlock first = view->document()->firstBlock();
    const QList<qreal> lefts = lineLefts(first);
    QVERIFY(lefts.size() > 2);
    QCOMPARE(qRound(lefts[0]), qRound(200 * k));
    for (int i = 1; i < lefts.size(); ++i) {
        QCOMPARE(qRound(lefts[i]), qRound(600 * k));
    }
    const QTextBlock second = first.next();
    QVERIFY(second.textList() != nullptr);
    const QList<qreal> bulletLefts = lineLefts(second);
    QVERIFY(bulletLefts.size() > 2);
    for (qreal left : bulletLefts) {
        // The text of every line at start + offset; the bullet stands in the 10 pt before it.
        QCOMPARE(qRound(left), qRound(200 * k));
    }
}

void TestParaFormatter::bulletTakenOffByTheEditorRedrawsIndents() {
    // Backspace at the start of a bulleted paragraph: Qt's editor takes it out of its list.
    edit_->widget()->show();
    edit_->setText(QStringLiteral("one\r\ntwo"));
    edit_->selectAll();
    edit_->setParaStartIndent(100);
    formatter_->toggleBullet();
    edit_->setModified(false);
    const qreal k = edit_->pixelsPerTwip();
    // Where the first line of the second paragraph starts, in whole twips.
    const auto firstLineAt = [this, k] {
        const QTextBlockFormat f = edit_->document()->lastBlock().blockFormat();
        return qRound((f.leftMargin() + f.textIndent()) / k);
    };
    QCOMPARE(firstLineAt(), 300);

    edit_->setSelStart(5);
    QTest::keyClick(edit_->widget(), Qt::Key_Backspace);
    const QTextBlock block = edit_->document()->lastBlock();
    QVERIFY(block.textList() == nullptr);
    QCOMPARE(block.blockFormat().intProperty(TextProperty::Offset), 200);
    // No longer bulleted: the first line at the start indent, the later ones at start + offset.
    QTRY_COMPARE(firstLineAt(), 100);
    QCOMPARE(qRound(block.blockFormat().leftMargin() / k), 300);

    // One undo step brings the bullet back, drawn as before.
    edit_->undo();
    QVERIFY(edit_->document()->lastBlock().textList() != nullptr);
    QCOMPARE(firstLineAt(), 300);
    QVERIFY(!edit_->modified());
}

QTEST_MAIN(TestParaFormatter)
#include "tst_paraformatter.moc"
