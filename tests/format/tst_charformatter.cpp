#include "CancellingPrompts.h"
#include "CharFormatter.h"
#include "Errors.h"
#include "FontComboBox.h"
#include "RichEdit.h"
#include "SizeBox.h"

#include <QComboBox>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <functional>
#include <memory>

namespace {

// Answers the font dialog with a scripted edit of the font it is given, or with a cancel.
class FontPrompts : public CancellingPrompts {
public:
    bool runFontDialog(TextFont& font) override {
        offered.append(font);
        if (!answer) {
            return false;
        }
        answer(font);
        return true;
    }

    std::function<void(TextFont&)> answer; // empty: cancel
    QList<TextFont> offered;
};

} // namespace

class TestCharFormatter : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void styleToggle_data();
    void styleToggle();
    void styleToggleWritesOneSetToMixedSelection();
    void sizeFromList_data();
    void sizeFromList();
    void badSizeWritesNothing_data();
    void badSizeWritesNothing();
    void colorRepickWritesAgain();
    void longFaceNameIsCut();
    void emptySelectionFormatsTypedText();
    void fontDialogWritesSixAttributes();
    void fontDialogUntouchedColorIsAutomatic();
    void fontDialogOpensOnLastConfirmedFont();
    void fontDialogShowsFontInBoxesSilently();
    void fontDialogFamilyMissingFromBox();
    void fontDialogCancelChangesNothing();

private:
    // Text "abcdef", everything plain, with chars [start, start + length) selected.
    void setUp(int start = 0, int length = 6);

    std::unique_ptr<QWidget> window_;
    RichEdit* edit_ = nullptr;
    FontPrompts prompts_;
    std::unique_ptr<CharFormatter> formatter_;
};

void TestCharFormatter::init() {
    window_ = std::make_unique<QWidget>();
    edit_ = new RichEdit(window_.get());
    prompts_ = FontPrompts();
    formatter_ = std::make_unique<CharFormatter>(*edit_, prompts_);
}

void TestCharFormatter::cleanup() {
    formatter_.reset();
    window_.reset();
}

void TestCharFormatter::setUp(int start, int length) {
    edit_->setText(QStringLiteral("abcdef"));
    edit_->select(start, length);
}

void TestCharFormatter::styleToggle_data() {
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("member");
    QTest::addColumn<int>("after");
    QTest::newRow("bold on plain") << 0 << int(fsBold) << int(fsBold);
    QTest::newRow("bold on bold") << int(fsBold) << int(fsBold) << 0;
    QTest::newRow("bold on italic") << int(fsItalic) << int(fsBold) << int(fsBold);
    QTest::newRow("italic on bold underline")
        << int(fsBold | fsUnderline) << int(fsItalic) << int(fsItalic);
    QTest::newRow("underline on bold italic")
        << int(fsBold | fsItalic) << int(fsUnderline) << int(fsUnderline);
    QTest::newRow("underline on underline") << int(fsUnderline) << int(fsUnderline) << 0;
    QTest::newRow("bold clears strike-out") << int(fsStrikeOut) << int(fsBold) << int(fsBold);
    QTest::newRow("bold on bold strike-out")
        << int(fsBold | fsStrikeOut) << int(fsBold) << int(fsBold);
}

void TestCharFormatter::styleToggle() {
    QFETCH(int, before);
    QFETCH(int, member);
    QFETCH(int, after);
    setUp(1, 3);
    edit_->setSelStyles(FontStyles(before));
    formatter_->toggleStyle(FontStyle(member));
    QCOMPARE(int(edit_->selStyles()), after);
    // The characters around the selection keep their plain format.
    edit_->select(0, 1);
    QCOMPARE(int(edit_->selStyles()), 0);
    edit_->select(4, 1);
    QCOMPARE(int(edit_->selStyles()), 0);
}

void TestCharFormatter::styleToggleWritesOneSetToMixedSelection() {
    // The first character is bold, the rest italic: the editor reports bold for the whole
    // selection, so bold clears every style of every character.
    setUp(0, 1);
    edit_->setSelStyles(fsBold);
    edit_->select(1, 5);
    edit_->setSelStyles(fsItalic);
    edit_->select(0, 6);
    formatter_->toggleStyle(fsBold);
    for (int i = 0; i < 6; ++i) {
        edit_->select(i, 1);
        QCOMPARE(int(edit_->selStyles()), 0);
    }
}

void TestCharFormatter::sizeFromList_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("twips");
    QTest::newRow("12") << QStringLiteral("12") << 240;
    QTest::newRow("72") << QStringLiteral("72") << 1440;
    QTest::newRow("smallest") << QStringLiteral("1") << 20;
    QTest::newRow("largest") << QStringLiteral("1638") << 32760;
    QTest::newRow("leading blank") << QStringLiteral(" 10") << 200;
}

void TestCharFormatter::sizeFromList() {
    QFETCH(QString, text);
    QFETCH(int, twips);
    setUp(2, 2);
    formatter_->applySizeText(text);
    QCOMPARE(edit_->selSizeTwips(), twips);
    edit_->select(0, 1);
    QVERIFY(edit_->selSizeTwips() != twips);
}

void TestCharFormatter::badSizeWritesNothing_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty (no entry selected)") << QString();
    QTest::newRow("letters") << QStringLiteral("abc");
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("negative") << QStringLiteral("-5");
    QTest::newRow("above 1638") << QStringLiteral("1639");
    QTest::newRow("fraction") << QStringLiteral("1.5");
}

void TestCharFormatter::badSizeWritesNothing() {
    QFETCH(QString, text);
    setUp();
    edit_->setSelSizeTwips(200);
    try {
        formatter_->applySizeText(text);
        QFAIL("no error");
    } catch (const ConvertError& e) {
        QCOMPARE(e.message(), QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
    QCOMPARE(edit_->selSizeTwips(), 200);
}

void TestCharFormatter::colorRepickWritesAgain() {
    setUp(0, 3);
    formatter_->applyColor(QColor(0x993300));
    edit_->select(3, 3);
    QVERIFY(!edit_->selColor().isValid());
    formatter_->applyColor(QColor(0x993300));
    QCOMPARE(edit_->selColor(), QColor(0x993300));
}

void TestCharFormatter::longFaceNameIsCut() {
    setUp();
    const QString face = QStringLiteral("F").repeated(40);
    formatter_->applyFaceName(face);
    QCOMPARE(edit_->selFaceName(), face.left(31));
}

void TestCharFormatter::emptySelectionFormatsTypedText() {
    setUp(6, 0);
    formatter_->applyFaceName(QStringLiteral("Liberation Mono"));
    formatter_->applySizeText(QStringLiteral("20"));
    edit_->widget()->textCursor().insertText(QStringLiteral("xy"));
    edit_->select(6, 2);
    QCOMPARE(edit_->selectedText(), QStringLiteral("xy"));
    QCOMPARE(edit_->selFaceName(), QStringLiteral("Liberation Mono"));
    QCOMPARE(edit_->selSizeTwips(), 400);
    edit_->select(0, 1);
    QVERIFY(edit_->selFaceName() != QStringLiteral("Liberation Mono"));
}

void TestCharFormatter::fontDialogWritesSixAttributes() {
    setUp(1, 2);
    prompts_.answer = [](TextFont& f) {
        f.name = QStringLiteral("DejaVu Serif");
        f.size = 14;
        f.style = fsBold | fsItalic | fsStrikeOut;
        f.color = QColor(0x008080);
        f.charset = Charset::Russian;
    };
    formatter_->runFontDialog();
    QCOMPARE(edit_->selFaceName(), QStringLiteral("DejaVu Serif"));
    QCOMPARE(edit_->selSizeTwips(), 280);
    QCOMPARE(int(edit_->selStyles()), int(fsBold | fsItalic | fsStrikeOut));
    QCOMPARE(edit_->selColor(), QColor(0x008080));
    QCOMPARE(edit_->selCharset(), Charset::Russian);
    edit_->select(0, 1);
    QCOMPARE(int(edit_->selStyles()), 0);
    QVERIFY(!edit_->selColor().isValid());
}

void TestCharFormatter::fontDialogUntouchedColorIsAutomatic() {
    setUp();
    formatter_->applyColor(Qt::red);
    prompts_.answer = [](TextFont& f) { f.size = 10; };
    formatter_->runFontDialog();
    QVERIFY(!edit_->selColor().isValid());
    QCOMPARE(edit_->selFaceName(), QStringLiteral("MS Sans Serif"));
    QCOMPARE(edit_->selCharset(), Charset::Default);
}

void TestCharFormatter::fontDialogOpensOnLastConfirmedFont() {
    setUp();
    prompts_.answer = [](TextFont& f) {
        f.name = QStringLiteral("DejaVu Sans");
        f.size = 12;
    };
    formatter_->runFontDialog();
    prompts_.answer = nullptr;
    formatter_->runFontDialog();
    QCOMPARE(prompts_.offered.size(), 2);
    QCOMPARE(prompts_.offered.at(0), TextFont());
    QCOMPARE(prompts_.offered.at(0).name, QStringLiteral("MS Sans Serif"));
    QCOMPARE(prompts_.offered.at(0).size, 8);
    QCOMPARE(prompts_.offered.at(1).name, QStringLiteral("DejaVu Sans"));
    QCOMPARE(prompts_.offered.at(1).size, 12);
    QCOMPARE(formatter_->dialogFont().name, QStringLiteral("DejaVu Sans"));
}

void TestCharFormatter::fontDialogShowsFontInBoxesSilently() {
    FontComboBox fontBox({QStringLiteral("Alpha"), QStringLiteral("beta")}, nullptr);
    QComboBox sizeBox;
    SizeBox::setup(&sizeBox);
    formatter_->attachBoxes(&fontBox, &sizeBox);
    QSignalSpy fontChanged(&fontBox, &FontComboBox::changed);
    QSignalSpy sizeActivated(&sizeBox, &QComboBox::activated);
    QSignalSpy sizeText(&sizeBox, &QComboBox::editTextChanged);
    setUp();
    prompts_.answer = [](TextFont& f) {
        f.name = QStringLiteral("BETA");
        f.size = 1000;
    };
    formatter_->runFontDialog();
    QCOMPARE(fontBox.fontName(), QStringLiteral("beta"));
    QCOMPARE(sizeBox.currentText(), QStringLiteral("1000"));
    QCOMPARE(fontChanged.count(), 0);
    QCOMPARE(sizeActivated.count(), 0);
    QCOMPARE(sizeText.count(), 0);
}

void TestCharFormatter::fontDialogFamilyMissingFromBox() {
    FontComboBox fontBox({QStringLiteral("Alpha"), QStringLiteral("Beta")}, nullptr);
    QComboBox sizeBox;
    SizeBox::setup(&sizeBox);
    formatter_->attachBoxes(&fontBox, &sizeBox);
    fontBox.setFontName(QStringLiteral("Alpha"));
    setUp();
    prompts_.answer = [](TextFont&) {}; // OK on "MS Sans Serif", which the box lacks
    formatter_->runFontDialog();
    QCOMPARE(fontBox.currentIndex(), -1);
    QCOMPARE(fontBox.fontName(), QString());
    QCOMPARE(sizeBox.currentText(), QStringLiteral("8"));
    QCOMPARE(edit_->selFaceName(), QStringLiteral("MS Sans Serif"));
}

void TestCharFormatter::fontDialogCancelChangesNothing() {
    FontComboBox fontBox({QStringLiteral("Alpha"), QStringLiteral("Beta")}, nullptr);
    QComboBox sizeBox;
    SizeBox::setup(&sizeBox);
    sizeBox.setCurrentIndex(4);
    formatter_->attachBoxes(&fontBox, &sizeBox);
    fontBox.setFontName(QStringLiteral("Beta"));
    setUp(0, 2);
    edit_->setSelStyles(fsItalic);
    formatter_->runFontDialog(); // cancelled
    QCOMPARE(int(edit_->selStyles()), int(fsItalic));
    QCOMPARE(edit_->selLength(), 2);
    QCOMPARE(fontBox.fontName(), QStringLiteral("Beta"));
    QCOMPARE(sizeBox.currentText(), QStringLiteral("12"));
    QCOMPARE(formatter_->dialogFont(), TextFont());
}

QTEST_MAIN(TestCharFormatter)
#include "tst_charformatter.moc"
