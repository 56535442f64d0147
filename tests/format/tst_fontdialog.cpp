#include "ErrorCapture.h"
#include "Errors.h"
#include "FontDialog.h"
#include "FontFamilies.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

// The font dialog: what its OK makes of the font it opened on.
class TestFontDialog : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void untouchedDialogGivesItsFontBack_data();
    void untouchedDialogGivesItsFontBack();
    void choicesReachTheFont();
    void charsetFollowsFaceOrScriptList_data();
    void charsetFollowsFaceOrScriptList();
    void badSizeKeepsDialogOpen();
    void executeOkAndCancel();

private:
    template <typename T> static T* child(QWidget* dialog, const char* name) {
        T* widget = dialog->findChild<T*>(QLatin1String(name));
        if (widget == nullptr) {
            qFatal("no child %s", name);
        }
        return widget;
    }
    static void pickFamily(FontDialog& dialog, const QString& family);

    QString serif_;
    QString sans_;
};

void TestFontDialog::initTestCase() {
    const QStringList families = QFontDatabase::families();
    for (const QString& f : {QStringLiteral("DejaVu Serif"), QStringLiteral("Liberation Serif")}) {
        if (families.contains(f)) {
            serif_ = f;
        }
    }
    sans_ = families.contains(QStringLiteral("DejaVu Sans")) ? QStringLiteral("DejaVu Sans")
                                                             : families.value(0);
    if (serif_.isEmpty() || sans_.isEmpty()) {
        QSKIP("needs the DejaVu or Liberation fonts");
    }
}

void TestFontDialog::pickFamily(FontDialog& dialog, const QString& family) {
    auto* list = child<QListWidget>(&dialog, "familyList");
    const QList<QListWidgetItem*> items = list->findItems(family, Qt::MatchFixedString);
    QVERIFY(!items.isEmpty());
    list->setCurrentItem(items.first());
}

void TestFontDialog::untouchedDialogGivesItsFontBack_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("style");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<int>("charset");
    QTest::newRow("first use: absent face, automatic colour")
        << QStringLiteral("MS Sans Serif") << 8 << 0 << QColor() << int(Charset::Default);
    QTest::newRow("present face, all styles, colour, Russian")
        << QStringLiteral("DejaVu Sans") << 24 << int(fsBold | fsItalic | fsUnderline | fsStrikeOut)
        << QColor(0x800000) << int(Charset::Russian);
    QTest::newRow("size outside the list, symbol set")
        << QStringLiteral("DejaVu Sans") << 1638 << int(fsItalic) << QColor(0xFFFFFF)
        << int(Charset::Symbol);
}

void TestFontDialog::untouchedDialogGivesItsFontBack() {
    QFETCH(QString, name);
    QFETCH(int, size);
    QFETCH(int, style);
    QFETCH(QColor, color);
    QFETCH(int, charset);
    const TextFont font{name, size, FontStyles(style), color, charset};
    FontDialog dialog;
    dialog.setTextFont(font);
    QCOMPARE(dialog.result(), font);
}

void TestFontDialog::choicesReachTheFont() {
    FontDialog dialog;
    dialog.setTextFont(TextFont());
    // The screen's families, each once under its real name.
    auto* families = child<QListWidget>(&dialog, "familyList");
    QStringList listed;
    for (int row = 0; row < families->count(); ++row) {
        listed.append(families->item(row)->text());
    }
    QCOMPARE(listed, FontFamilies::screen());
    pickFamily(dialog, serif_);
    child<QListWidget>(&dialog, "styleList")->setCurrentRow(3); // bold italic
    child<QListWidget>(&dialog, "sizeList")->setCurrentRow(4);  // 12
    child<QCheckBox>(&dialog, "underlineBox")->setChecked(true);
    auto* colors = child<QComboBox>(&dialog, "colorBox");
    QCOMPARE(colors->count(), 16);
    colors->setCurrentIndex(9);
    emit colors->activated(9); // as a pick by the user
    const TextFont font = dialog.result();
    QCOMPARE(font.name, serif_);
    QCOMPARE(font.size, 12);
    QCOMPARE(int(font.style), int(fsBold | fsItalic | fsUnderline));
    QCOMPARE(font.color, QColor(0xFF0000));
}

void TestFontDialog::charsetFollowsFaceOrScriptList_data() {
    QTest::addColumn<QString>("opened");
    QTest::addColumn<QString>("picked"); // empty: no family picked
    QTest::addColumn<bool>("useScripts");
    QTest::addColumn<bool>("changes");
    QTest::newRow("nothing touched")
        << QStringLiteral("DejaVu Sans") << QString() << false << false;
    QTest::newRow("same face in other case")
        << QStringLiteral("dejavu sans") << QStringLiteral("DejaVu Sans") << false << false;
    QTest::newRow("other face") << QStringLiteral("DejaVu Sans") << QStringLiteral("serif") << false
                                << true;
    QTest::newRow("script list used") << QStringLiteral("DejaVu Sans") << QString() << true << true;
}

void TestFontDialog::charsetFollowsFaceOrScriptList() {
    QFETCH(QString, opened);
    QFETCH(QString, picked);
    QFETCH(bool, useScripts);
    QFETCH(bool, changes);
    FontDialog dialog;
    TextFont font;
    font.name = opened;
    font.charset = Charset::Default; // listed by no script, so any write shows
    dialog.setTextFont(font);
    if (!picked.isEmpty()) {
        pickFamily(dialog, picked == QLatin1String("serif") ? serif_ : picked);
    }
    auto* scripts = child<QComboBox>(&dialog, "scriptBox");
    QVERIFY(scripts->count() > 0);
    if (useScripts) {
        emit scripts->activated(scripts->currentIndex());
    }
    const int charset = dialog.result().charset;
    QCOMPARE(charset, changes ? scripts->currentData().toInt() : int(Charset::Default));
    QVERIFY(charset != Charset::Default || !changes);
}

void TestFontDialog::badSizeKeepsDialogOpen() {
    QStringList reported;
    const ErrorCapture capture(reported);
    FontDialog dialog;
    dialog.setTextFont(TextFont());
    dialog.show();
    auto* size = child<QLineEdit>(&dialog, "sizeEdit");
    size->setText(QStringLiteral("0"));
    QTest::mouseClick(child<QPushButton>(&dialog, "okButton"), Qt::LeftButton);
    QCOMPARE(reported, QStringList{QStringLiteral("'0' is not a valid integer value")});
    QVERIFY(dialog.isVisible());
    size->setText(QStringLiteral("10"));
    QTest::mouseClick(child<QPushButton>(&dialog, "okButton"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result().size, 10);
    QCOMPARE(reported.size(), 1);
}

void TestFontDialog::executeOkAndCancel() {
    TextFont font;
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<FontDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        child<QCheckBox>(dialog, "strikeOutBox")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(dialog, "okButton"), Qt::LeftButton);
    });
    QVERIFY(FontDialog::execute(nullptr, font));
    QCOMPARE(int(font.style), int(fsStrikeOut));
    QCOMPARE(font.name, QStringLiteral("MS Sans Serif"));
    QVERIFY(!font.color.isValid());

    const TextFont before = font;
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<FontDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog != nullptr);
        child<QCheckBox>(dialog, "underlineBox")->setChecked(true);
        QTest::mouseClick(child<QPushButton>(dialog, "cancelButton"), Qt::LeftButton);
    });
    QVERIFY(!FontDialog::execute(nullptr, font));
    QCOMPARE(font, before);
}

QTEST_MAIN(TestFontDialog)
#include "tst_fontdialog.moc"
