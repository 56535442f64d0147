#include "FontComboBox.h"
#include "FontFamilies.h"
#include "SizeBox.h"

#include <QAbstractItemView>
#include <QFontDatabase>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

// The font box and the size box of the toolbar.
class TestFontComboBox : public QObject {
    Q_OBJECT
private slots:
    void screenFamiliesSortedIgnoringCase();
    void givenFamiliesOnceUnderRealNames_data();
    void givenFamiliesOnceUnderRealNames();
    void setFontNameIgnoresCaseAndReportsNothing_data();
    void setFontNameIgnoresCaseAndReportsNothing();
    void popupPickGoesToTopMostRecentFirst();
    void popupShowsFourteenRowsBelowTheBox();
    void keyboardPickOnClosedBoxReportsWithoutPromoting();
    void escapeFromPopupReportsNothing();
    void kindsOfScreenFamilies();
    void glyphsDifferByKind();
    void sizeBoxEntriesAndTypingLimit();
    void sizeBoxShowsLongerSizeWhole();

private:
    static void pickFromPopup(FontComboBox& box, int row);
};

void TestFontComboBox::pickFromPopup(FontComboBox& box, int row) {
    box.showPopup();
    QAbstractItemView* view = box.view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    QTRY_VERIFY(!view->isVisible());
}

void TestFontComboBox::screenFamiliesSortedIgnoringCase() {
    FontComboBox box;
    // Each family once, under its real name.
    QStringList real;
    for (const QString& family : QFontDatabase::families()) {
        real.append(FontFamilies::realName(family));
    }
    real.removeDuplicates();
    QCOMPARE(box.count(), real.size());
    for (int i = 1; i < box.count(); ++i) {
        QVERIFY2(box.itemText(i - 1).compare(box.itemText(i), Qt::CaseInsensitive) < 0,
                 qPrintable(box.itemText(i)));
        QVERIFY2(!box.itemText(i).endsWith(QLatin1Char(']')), qPrintable(box.itemText(i)));
    }
    QVERIFY(!box.isEditable());
    QCOMPARE(box.maxVisibleItems(), 14);
    QCOMPARE(box.recentCount(), 0);
}

void TestFontComboBox::givenFamiliesOnceUnderRealNames_data() {
    QTest::addColumn<QStringList>("given");
    QTest::addColumn<QStringList>("listed");
    QTest::newRow("sorted ignoring case")
        << QStringList{"b", "C", "a"} << QStringList{"a", "b", "C"};
    QTest::newRow("one family from two foundries")
        << QStringList{"P052 [UKWN]", "C059 [urw]", "DejaVu Sans", "P052 [urw]", "C059 [UKWN]"}
        << QStringList{"C059", "DejaVu Sans", "P052"};
    QTest::newRow("brackets inside a name stay")
        << QStringList{"Font [x] Sans", "[Odd]"} << QStringList{"[Odd]", "Font [x] Sans"};
    QTest::newRow("the same name twice") << QStringList{"A", "A"} << QStringList{"A"};
}

void TestFontComboBox::givenFamiliesOnceUnderRealNames() {
    QFETCH(QStringList, given);
    QFETCH(QStringList, listed);
    FontComboBox box(given, nullptr);
    QStringList shown;
    for (int i = 0; i < box.count(); ++i) {
        shown.append(box.itemText(i));
    }
    QCOMPARE(shown, listed);
}

void TestFontComboBox::setFontNameIgnoresCaseAndReportsNothing_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("exact") << QStringLiteral("Beta") << QStringLiteral("Beta");
    QTest::newRow("other case") << QStringLiteral("bETA") << QStringLiteral("Beta");
    QTest::newRow("absent: no entry") << QStringLiteral("Times New Roman") << QString();
    QTest::newRow("prefix is not a match") << QStringLiteral("Bet") << QString();
}

void TestFontComboBox::setFontNameIgnoresCaseAndReportsNothing() {
    QFETCH(QString, name);
    QFETCH(QString, shown);
    FontComboBox box({QStringLiteral("Alpha"), QStringLiteral("Beta")}, nullptr);
    box.setFontName(QStringLiteral("Alpha"));
    QSignalSpy changed(&box, &FontComboBox::changed);
    box.setFontName(name);
    QCOMPARE(box.fontName(), shown);
    QCOMPARE(box.currentIndex() >= 0, !shown.isEmpty());
    QCOMPARE(changed.count(), 0);
}

void TestFontComboBox::popupPickGoesToTopMostRecentFirst() {
    FontComboBox box({QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("Gamma")},
                     nullptr);
    box.show();
    QSignalSpy changed(&box, &FontComboBox::changed);

    pickFromPopup(box, 2); // Gamma
    QCOMPARE(changed.count(), 1);
    QCOMPARE(box.fontName(), QStringLiteral("Gamma"));
    QCOMPARE(box.currentIndex(), 0);
    QCOMPARE(box.recentCount(), 1);

    pickFromPopup(box, 1); // Alpha, below the recent Gamma
    QCOMPARE(box.fontName(), QStringLiteral("Alpha"));
    QCOMPARE(box.recentCount(), 2);
    QCOMPARE(box.itemText(0), QStringLiteral("Alpha"));
    QCOMPARE(box.itemText(1), QStringLiteral("Gamma"));

    pickFromPopup(box, 1); // Gamma again, from the recent ones: moves up, no duplicate
    QCOMPARE(changed.count(), 3);
    QCOMPARE(box.recentCount(), 2);
    QCOMPARE(box.count(), 5);
    QCOMPARE(box.itemText(0), QStringLiteral("Gamma"));
    QCOMPARE(box.itemText(1), QStringLiteral("Alpha"));
    QCOMPARE(box.itemText(2), QStringLiteral("Alpha"));
    QCOMPARE(box.itemData(0, FontComboBox::kKindRole), box.itemData(4, FontComboBox::kKindRole));
}

void TestFontComboBox::popupShowsFourteenRowsBelowTheBox() {
    QStringList families;
    for (int i = 0; i < 40; ++i) {
        families.append(QStringLiteral("Family %1").arg(i, 2, 10, QLatin1Char('0')));
    }
    FontComboBox box(families, nullptr);
    box.show();
    box.setFontName(QStringLiteral("Family 20"));
    box.showPopup();
    QAbstractItemView* view = box.view();
    QTRY_VERIFY(view->isVisible());
    const int rows = view->viewport()->height() / FontComboBox::kItemHeight;
    QCOMPARE(rows, FontComboBox::kVisibleRows);
    QVERIFY(view->window()->mapToGlobal(QPoint(0, 0)).y() >=
            box.mapToGlobal(QPoint(0, box.height())).y() - 1);
    box.hidePopup();
}

void TestFontComboBox::keyboardPickOnClosedBoxReportsWithoutPromoting() {
    FontComboBox box({QStringLiteral("Alpha"), QStringLiteral("Beta")}, nullptr);
    box.show();
    box.setFontName(QStringLiteral("Alpha"));
    QSignalSpy changed(&box, &FontComboBox::changed);
    QTest::keyClick(&box, Qt::Key_Down);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(box.fontName(), QStringLiteral("Beta"));
    QCOMPARE(box.recentCount(), 0);
}

void TestFontComboBox::escapeFromPopupReportsNothing() {
    FontComboBox box({QStringLiteral("Alpha"), QStringLiteral("Beta")}, nullptr);
    box.show();
    box.setFontName(QStringLiteral("Alpha"));
    QSignalSpy changed(&box, &FontComboBox::changed);
    box.showPopup();
    QTRY_VERIFY(box.view()->isVisible());
    QTest::keyClick(box.view(), Qt::Key_Down);
    QTest::keyClick(box.view(), Qt::Key_Escape);
    QTRY_VERIFY(!box.view()->isVisible());
    QCOMPARE(changed.count(), 0);
    QCOMPARE(box.fontName(), QStringLiteral("Alpha"));
    QCOMPARE(box.recentCount(), 0);
}

void TestFontComboBox::kindsOfScreenFamilies() {
    const QStringList families = QFontDatabase::families();
    if (!families.contains(QStringLiteral("DejaVu Sans Mono")) ||
        !families.contains(QStringLiteral("DejaVu Sans"))) {
        QSKIP("the DejaVu fonts are not installed");
    }
    QCOMPARE(FontComboBox::kindOf(QStringLiteral("DejaVu Sans Mono")), FontKind::ScalableFixed);
    QCOMPARE(FontComboBox::kindOf(QStringLiteral("DejaVu Sans")), FontKind::Scalable);
    FontComboBox box;
    const int row = box.findText(QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(box.itemData(row, FontComboBox::kKindRole).toInt(), int(FontKind::ScalableFixed));
    QVERIFY(!box.itemIcon(row).isNull());
}

void TestFontComboBox::glyphsDifferByKind() {
    const FontKind kinds[] = {FontKind::ScalableFixed, FontKind::Scalable, FontKind::FixedPitch,
                              FontKind::Other};
    QList<QImage> images;
    for (const FontKind kind : kinds) {
        const QImage image = FontComboBox::glyph(kind).toImage();
        QCOMPARE(image.size(), QSize(12, 12));
        for (const QImage& other : std::as_const(images)) {
            QVERIFY(image != other);
        }
        images.append(image);
    }
}

void TestFontComboBox::sizeBoxEntriesAndTypingLimit() {
    QComboBox box;
    SizeBox::setup(&box);
    QCOMPARE(box.count(), 16);
    QCOMPARE(box.itemText(0), QStringLiteral("8"));
    QCOMPARE(box.itemText(4), QStringLiteral("12"));
    QCOMPARE(box.itemText(15), QStringLiteral("72"));
    QCOMPARE(box.currentText(), QStringLiteral("8"));
    QVERIFY(box.completer() == nullptr);
    box.show();
    box.lineEdit()->selectAll();
    QTest::keyClicks(box.lineEdit(), QStringLiteral("12345"));
    QCOMPARE(box.currentText(), QStringLiteral("123"));
}

void TestFontComboBox::sizeBoxShowsLongerSizeWhole() {
    QComboBox box;
    SizeBox::setup(&box);
    box.show();
    QSignalSpy edited(&box, &QComboBox::editTextChanged);
    SizeBox::showText(&box, QStringLiteral("1638"));
    QCOMPARE(box.currentText(), QStringLiteral("1638"));
    QCOMPARE(edited.count(), 0);
    // Typing cannot lengthen it; once shortened, the three-character limit is back.
    box.lineEdit()->end(false);
    QTest::keyClick(box.lineEdit(), Qt::Key_9);
    QCOMPARE(box.currentText(), QStringLiteral("1638"));
    QTest::keyClick(box.lineEdit(), Qt::Key_Backspace);
    QCOMPARE(box.currentText(), QStringLiteral("163"));
    QTest::keyClick(box.lineEdit(), Qt::Key_9);
    QCOMPARE(box.currentText(), QStringLiteral("163"));
}

QTEST_MAIN(TestFontComboBox)
#include "tst_fontcombobox.moc"
