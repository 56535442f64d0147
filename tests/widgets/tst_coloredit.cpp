#include "ColorEdit.h"
#include "ColorGrid.h"

#include <QHelpEvent>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

// The colour edit and its grid.
class TestColorEdit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void gridHoldsFortyNamedColours();
    void cellsNameThemselvesAsTooltips_data();
    void cellsNameThemselvesAsTooltips();
    void mousePickSetsColourAndReports();
    void pickOfShownColourReportsAgain();
    void closingWithoutPickReportsNothing_data();
    void closingWithoutPickReportsNothing();
    void keyboardPicksFromShownColour();
    void acceptsNoTyping();

private:
    void open();

    std::unique_ptr<ColorEdit> edit_;
};

void TestColorEdit::init() {
    edit_ = std::make_unique<ColorEdit>();
    edit_->show();
    QVERIFY(QTest::qWaitForWindowExposed(edit_.get()));
}

void TestColorEdit::cleanup() {
    edit_.reset();
}

void TestColorEdit::open() {
    QTest::mouseClick(edit_.get(), Qt::LeftButton);
    QTRY_VERIFY(edit_->grid()->isVisible());
}

void TestColorEdit::gridHoldsFortyNamedColours() {
    const QList<ColorCell>& cells = ColorGrid::cells();
    QCOMPARE(cells.size(), ColorGrid::kRows * ColorGrid::kColumns);
    QCOMPARE(cells.size(), 40);
    QSet<QString> names;
    for (const ColorCell& c : cells) {
        names.insert(c.name);
    }
    QCOMPARE(names.size(), 40);
    QCOMPARE(edit_->selectedColor(), QColor(Qt::black));
}

void TestColorEdit::cellsNameThemselvesAsTooltips_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("color");
    QTest::newRow("first") << 0 << QStringLiteral("Black") << QColor(Qt::black);
    QTest::newRow("end of row 1") << 7 << QStringLiteral("Gray 80%") << QColor(0x333333);
    QTest::newRow("start of row 2") << 8 << QStringLiteral("Dark Red") << QColor(0x800000);
    QTest::newRow("middle") << 21 << QStringLiteral("Light Blue") << QColor(0x3366FF);
    QTest::newRow("gray 25") << 31 << QStringLiteral("Gray 25%") << QColor(0xC0C0C0);
    QTest::newRow("last") << 39 << QStringLiteral("White") << QColor(0xFFFFFF);
}

void TestColorEdit::cellsNameThemselvesAsTooltips() {
    QFETCH(int, index);
    QFETCH(QString, name);
    QFETCH(QColor, color);
    QCOMPARE(ColorGrid::cells().at(index).color, color);
    open();
    ColorGrid* grid = edit_->grid();
    const QPoint at = grid->cellRect(index).center();
    QCOMPARE(grid->cellAt(at), index);
    QHelpEvent help(QEvent::ToolTip, at, grid->mapToGlobal(at));
    QApplication::sendEvent(grid, &help);
    QTRY_COMPARE(QToolTip::text(), name);
    QToolTip::hideText();
    grid->hide();
}

void TestColorEdit::mousePickSetsColourAndReports() {
    QSignalSpy changed(edit_.get(), &ColorEdit::changed);
    open();
    ColorGrid* grid = edit_->grid();
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(13).center());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(edit_->selectedColor(), QColor(0x0000FF));
    QVERIFY(!grid->isVisible());
}

void TestColorEdit::pickOfShownColourReportsAgain() {
    QSignalSpy changed(edit_.get(), &ColorEdit::changed);
    for (int i = 0; i < 2; ++i) {
        open();
        QTest::mouseClick(edit_->grid(), Qt::LeftButton, {}, edit_->grid()->cellRect(9).center());
    }
    QCOMPARE(changed.count(), 2);
    QCOMPARE(edit_->selectedColor(), QColor(0xFF6600));
}

void TestColorEdit::closingWithoutPickReportsNothing_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("escape") << true;
    QTest::newRow("click on the margin") << false;
}

void TestColorEdit::closingWithoutPickReportsNothing() {
    QFETCH(bool, escape);
    QSignalSpy changed(edit_.get(), &ColorEdit::changed);
    open();
    ColorGrid* grid = edit_->grid();
    if (escape) {
        QTest::keyClick(grid, Qt::Key_Escape);
        QVERIFY(!grid->isVisible());
    } else {
        QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(1, 1));
        grid->hide();
    }
    QCOMPARE(changed.count(), 0);
    QCOMPARE(edit_->selectedColor(), QColor(Qt::black));
}

void TestColorEdit::keyboardPicksFromShownColour() {
    edit_->setSelectedColor(QColor(0x008000)); // "Green", row 2 column 4
    QSignalSpy changed(edit_.get(), &ColorEdit::changed);
    edit_->setFocus();
    QTest::keyClick(edit_.get(), Qt::Key_Down, Qt::AltModifier);
    QTRY_VERIFY(edit_->grid()->isVisible());
    QCOMPARE(edit_->grid()->current(), 11);
    QTest::keyClick(edit_->grid(), Qt::Key_Down);
    QTest::keyClick(edit_->grid(), Qt::Key_Right);
    QTest::keyClick(edit_->grid(), Qt::Key_Return);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(edit_->selectedColor(), QColor(0x339999)); // "Aqua"
}

void TestColorEdit::acceptsNoTyping() {
    QSignalSpy changed(edit_.get(), &ColorEdit::changed);
    edit_->setFocus();
    QTest::keyClicks(edit_.get(), QStringLiteral("red1"));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(edit_->selectedColor(), QColor(Qt::black));
    QVERIFY(!edit_->grid()->isVisible());
}

QTEST_MAIN(TestColorEdit)
#include "tst_coloredit.moc"
