#include "FlatToolbar.h"
#include "Spacer.h"
#include "ToolButton.h"

#include <QTest>

namespace {

// Controls of the heights the main window uses: button 25, label 19, font box 22, size box 21.
const QList<QSize> kSizes = {{25, 25}, {25, 25}, {8, 25}, {60, 19}, {145, 22}, {53, 21}};

void fill(FlatToolbar& toolbar, const QList<QSize>& sizes) {
    for (const QSize& size : sizes) {
        auto* control = new QWidget;
        control->setFixedSize(size);
        toolbar.addControl(control);
    }
}

} // namespace

class TestFlatToolbar : public QObject {
    Q_OBJECT
private slots:
    void arrangement_data();
    void arrangement();
    void resizingMovesControlsAndHeight();
    void buttonsAndSpacersAtTheirSizes();
};

void TestFlatToolbar::arrangement_data() {
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<QPoint>>("positions");
    // Widths 25 25 8 60 145 53 end at 29 54 62 122 267 320.
    QTest::newRow("one row, exactly fitting")
        << 324 << 1 << QList<QPoint>{{4, 2}, {29, 2}, {54, 2}, {62, 5}, {122, 3}, {267, 4}};
    QTest::newRow("last passes width less 4")
        << 323 << 2 << QList<QPoint>{{4, 2}, {29, 2}, {54, 2}, {62, 5}, {122, 3}, {4, 29}};
    QTest::newRow("three rows") << 130 << 3 << QList<QPoint>{{4, 2},  {29, 2}, {54, 2},
                                                             {62, 5}, {4, 28}, {4, 54}};
    QTest::newRow("control wider than the toolbar keeps its own row")
        << 100 << 4 << QList<QPoint>{{4, 2}, {29, 2}, {54, 2}, {4, 30}, {4, 53}, {4, 79}};
    QTest::newRow("first control never wraps")
        << 10 << 6 << QList<QPoint>{{4, 2}, {4, 27}, {4, 52}, {4, 80}, {4, 103}, {4, 129}};
}

void TestFlatToolbar::arrangement() {
    QFETCH(int, width);
    QFETCH(int, rows);
    QFETCH(QList<QPoint>, positions);
    FlatToolbar toolbar;
    fill(toolbar, kSizes);
    int counted = 0;
    QCOMPARE(toolbar.arrange(width, &counted), positions);
    QCOMPARE(counted, rows);
    QCOMPARE(toolbar.heightForWidth(width), 25 * rows + 4);
}

void TestFlatToolbar::resizingMovesControlsAndHeight() {
    FlatToolbar toolbar;
    fill(toolbar, kSizes);
    toolbar.show();
    toolbar.resize(400, toolbar.height());
    QCOMPARE(toolbar.height(), 29);
    toolbar.resize(300, toolbar.height());
    QCOMPARE(toolbar.height(), 54);
    QCOMPARE(toolbar.controls().at(5)->pos(), QPoint(4, 29));
    QCOMPARE(toolbar.controls().at(5)->parentWidget(), &toolbar);
    toolbar.resize(400, toolbar.height());
    QCOMPARE(toolbar.height(), 29);
    QCOMPARE(toolbar.controls().at(5)->pos(), QPoint(267, 4));
}

void TestFlatToolbar::buttonsAndSpacersAtTheirSizes() {
    FlatToolbar toolbar;
    auto* grooved = new Spacer(true);
    auto* plain = new Spacer(false);
    auto* button = new ToolButton;
    const QList<QWidget*> controls = {button, grooved, new ToolButton, plain, new ToolButton};
    for (QWidget* control : controls) {
        toolbar.addControl(control);
    }
    toolbar.resize(200, 29);
    toolbar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&toolbar));
    // Buttons 25 x 25, spacers 8 x 25, side by side in one row.
    const QList<QRect> expected = {
        {4, 2, 25, 25}, {29, 2, 8, 25}, {37, 2, 25, 25}, {62, 2, 8, 25}, {70, 2, 25, 25}};
    for (int i = 0; i < controls.size(); ++i) {
        QCOMPARE(controls.at(i)->geometry(), expected.at(i));
    }
    QCOMPARE(toolbar.height(), 29);
    QCOMPARE(button->focusPolicy(), Qt::NoFocus);
    QCOMPARE(button->iconSize(), QSize(16, 16));
    // Only the grooved spacer draws its line.
    QVERIFY(grooved->grab().toImage() != plain->grab().toImage());
}

QTEST_MAIN(TestFlatToolbar)
#include "tst_flattoolbar.moc"
