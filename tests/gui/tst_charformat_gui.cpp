#include "CancellingPrompts.h"
#include "CharFormatter.h"
#include "ColorEdit.h"
#include "ColorGrid.h"
#include "ErrorCapture.h"
#include "Errors.h"
#include "FontComboBox.h"
#include "FontDialog.h"
#include "MainWindowFixture.h"
#include "Pandoc.h"
#include "Prompts.h"
#include "RichEdit.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "SizeBox.h"
#include "TForm1.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <functional>
#include <memory>

namespace {

// Answers the font dialog by fontAnswer (false: cancel); everything else is cancelled.
class FontPrompts : public CancellingPrompts {
public:
    bool runFontDialog(TextFont& font) override { return fontAnswer && fontAnswer(font); }

    std::function<bool(TextFont&)> fontAnswer;
};

} // namespace

class TestCharFormatGui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void startState();
    void styleButtonsKeepTheFocus();
    void fontBoxPick();
    void familyFromTwoFoundriesWritesItsRealName();
    void sizeBoxPick_data();
    void sizeBoxPick();
    void sizeBoxTypedSize_data();
    void sizeBoxTypedSize();
    void sizeBoxLeftWithoutEnterWritesNothing();
    void colourEditPickAndRepick();
    void fontDialogFromMenuAndContextMenu();
    void fontDialogCancelled();
    void realFontDialog();
    void savedRtfShowsFormatting();

private:
    RichEdit& edit() const { return *form_->RichEdit1; }
    QTextEdit* editor() const { return form_->RichEdit1->widget(); }
    static void pickFromPopup(QComboBox* box, int row);
    void pickColour(int cell);
    void typeInSizeBox(const QString& text);
    // Format writes to a selection since init, counted by the undo steps they left, so that a
    // handler that runs twice shows twice the writes.
    int editsMade() const;

    FontPrompts prompts_;
    MainWindowFixture form_;
    QStringList errors_;
    ErrorCapture capture_{errors_}; // for the whole run; init empties errors_
    int undoBase_ = 0;
};

void TestCharFormatGui::init() {
    errors_.clear();
    prompts_.fontAnswer = nullptr;
    form_.create(prompts_).resize(900, 600);
    QVERIFY(form_.show());
    edit().setText(QStringLiteral("один two три"));
    edit().setFocus();
    undoBase_ = edit().document()->availableUndoSteps();
}

void TestCharFormatGui::cleanup() {
    form_.reset();
}

int TestCharFormatGui::editsMade() const {
    // Qt may record one write as more than one undo step; measured once on an editor of its own.
    static const int stepsPerWrite = [] {
        RichEdit scratch;
        scratch.setText(QStringLiteral("abc"));
        scratch.selectAll();
        const int before = scratch.document()->availableUndoSteps();
        scratch.setSelColor(Qt::red);
        return scratch.document()->availableUndoSteps() - before;
    }();
    const int steps = edit().document()->availableUndoSteps() - undoBase_;
    return steps % stepsPerWrite == 0 ? steps / stepsPerWrite : -steps;
}

void TestCharFormatGui::pickFromPopup(QComboBox* box, int row) {
    box->showPopup();
    QAbstractItemView* view = box->view();
    QTRY_VERIFY(view->isVisible());
    const QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(index).center());
    QTRY_VERIFY(!view->isVisible());
}

void TestCharFormatGui::pickColour(int cell) {
    QTest::mouseClick(form_->RzColorEdit1, Qt::LeftButton);
    ColorGrid* grid = form_->RzColorEdit1->grid();
    QTRY_VERIFY(grid->isVisible());
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(cell).center());
}

void TestCharFormatGui::typeInSizeBox(const QString& text) {
    // Keys go to the box, as they do when it has the focus; it hands them to its line edit.
    form_->sizeFont->setFocus();
    form_->sizeFont->lineEdit()->selectAll();
    QTest::keyClicks(form_->sizeFont, text);
}

void TestCharFormatGui::startState() {
    const bool hasTimes = QFontDatabase::families().contains(QStringLiteral("Times New Roman"));
    QCOMPARE(form_->RzFontComboBox1->fontName(),
             hasTimes ? QStringLiteral("Times New Roman") : QString());
    QCOMPARE(form_->sizeFont->currentIndex(), 0);
    QCOMPARE(form_->sizeFont->currentText(), QStringLiteral("8"));
    QCOMPARE(form_->sizeFont->count(), 16);
    QCOMPARE(form_->RzColorEdit1->selectedColor(), QColor(Qt::black));
    QVERIFY(form_->RzFontComboBox1->count() > 0);
}

void TestCharFormatGui::styleButtonsKeepTheFocus() {
    edit().select(5, 3); // "two"
    QTest::mouseClick(form_->findChild<QWidget*>(QStringLiteral("RzToolButton9")), Qt::LeftButton);
    QCOMPARE(int(edit().selStyles()), int(fsBold));
    QVERIFY(editor()->hasFocus());
    QTest::mouseClick(form_->findChild<QWidget*>(QStringLiteral("RzToolButton10")), Qt::LeftButton);
    QCOMPARE(int(edit().selStyles()), int(fsItalic));
    QTest::mouseClick(form_->findChild<QWidget*>(QStringLiteral("RzToolButton11")), Qt::LeftButton);
    QTest::mouseClick(form_->findChild<QWidget*>(QStringLiteral("RzToolButton11")), Qt::LeftButton);
    QCOMPARE(int(edit().selStyles()), 0);
    QVERIFY(editor()->hasFocus());
    QCOMPARE(editsMade(), 4);
}

void TestCharFormatGui::fontBoxPick() {
    FontComboBox* box = form_->RzFontComboBox1;
    const int row = box->findText(QStringLiteral("DejaVu Sans Mono"));
    if (row < 0) {
        QSKIP("DejaVu Sans Mono is not installed");
    }
    edit().select(0, 4);
    pickFromPopup(box, row);
    QCOMPARE(edit().selFaceName(), QStringLiteral("DejaVu Sans Mono"));
    QTRY_VERIFY(editor()->hasFocus());
    QCOMPARE(box->itemText(0), QStringLiteral("DejaVu Sans Mono"));
    QCOMPARE(box->recentCount(), 1);
    QCOMPARE(editsMade(), 1);
    edit().select(5, 1);
    QVERIFY(edit().selFaceName() != QStringLiteral("DejaVu Sans Mono"));
}

void TestCharFormatGui::familyFromTwoFoundriesWritesItsRealName() {
    // Qt lists such a family as "P052 [UKWN]" and "P052 [urw]"; the box and the file know "P052".
    QString family;
    for (const QString& listed : QFontDatabase::families()) {
        if (listed.endsWith(QLatin1Char(']'))) {
            family = listed.left(listed.lastIndexOf(QLatin1String(" [")));
            break;
        }
    }
    if (family.isEmpty()) {
        QSKIP("no font family installed from two foundries");
    }
    FontComboBox* box = form_->RzFontComboBox1;
    QCOMPARE(box->findText(family + QLatin1String(" ["), Qt::MatchStartsWith), -1);
    const int row = box->findText(family, Qt::MatchExactly);
    QVERIFY(row >= 0);
    edit().select(0, 4);
    pickFromPopup(box, row);
    QCOMPARE(edit().selFaceName(), family);
    const RtfDocument doc = RtfReader::read(RtfWriter::toRtf(*edit().document()));
    QVERIFY2(doc.ok, qPrintable(doc.error));
    QCOMPARE(doc.fonts.value(doc.paragraphs.value(0).chars.value(0).font), family);
}

void TestCharFormatGui::sizeBoxPick_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("twips");
    QTest::newRow("12") << 4 << 240;
    QTest::newRow("72") << 15 << 1440;
}

void TestCharFormatGui::sizeBoxPick() {
    QFETCH(int, row);
    QFETCH(int, twips);
    edit().select(5, 3);
    pickFromPopup(form_->sizeFont, row);
    QCOMPARE(edit().selSizeTwips(), twips);
    QTRY_VERIFY(editor()->hasFocus());
    QVERIFY(errors_.isEmpty());
}

void TestCharFormatGui::sizeBoxTypedSize_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown"); // what three characters at most leave
    QTest::addColumn<int>("twips");     // 0: an error, nothing written
    QTest::newRow("13") << QStringLiteral("13") << QStringLiteral("13") << 260;
    QTest::newRow("a listed size") << QStringLiteral("14") << QStringLiteral("14") << 280;
    QTest::newRow("999") << QStringLiteral("999") << QStringLiteral("999") << 19980;
    QTest::newRow("cut at three") << QStringLiteral("1000") << QStringLiteral("100") << 2000;
    QTest::newRow("zero") << QStringLiteral("0") << QStringLiteral("0") << 0;
    QTest::newRow("letters") << QStringLiteral("abc") << QStringLiteral("abc") << 0;
    QTest::newRow("empty") << QString() << QString() << 0;
}

void TestCharFormatGui::sizeBoxTypedSize() {
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, twips);
    edit().select(0, 4);
    const int before = edit().selSizeTwips();
    typeInSizeBox(typed);
    if (typed.isEmpty()) {
        QTest::keyClick(form_->sizeFont, Qt::Key_Backspace);
    }
    QCOMPARE(form_->sizeFont->currentText(), shown);
    // The opened list highlights the entry equal to the text, or none.
    const int entry = SizeBox::entries().indexOf(shown);
    QCOMPARE(form_->sizeFont->currentIndex(), entry);
    form_->sizeFont->showPopup();
    QTRY_VERIFY(form_->sizeFont->view()->isVisible());
    const QModelIndexList highlighted = form_->sizeFont->view()->selectionModel()->selectedRows();
    QCOMPARE(highlighted.isEmpty() ? -1 : highlighted.first().row(), entry);
    form_->sizeFont->hidePopup();
    QCOMPARE(form_->sizeFont->currentText(), shown);
    // Typing alone writes nothing and reports nothing.
    QCOMPARE(edit().selSizeTwips(), before);
    QVERIFY(errors_.isEmpty());
    QTest::keyClick(form_->sizeFont, Qt::Key_Return);
    if (twips == 0) {
        QCOMPARE(errors_,
                 QStringList{QStringLiteral("'%1' is not a valid integer value").arg(shown)});
        QCOMPARE(edit().selSizeTwips(), before);
        QVERIFY(form_->sizeFont->hasFocus());
    } else {
        QVERIFY(errors_.isEmpty());
        QCOMPARE(editsMade(), 1);
        QCOMPARE(edit().selSizeTwips(), twips);
        QTRY_VERIFY(editor()->hasFocus());
    }
}

void TestCharFormatGui::sizeBoxLeftWithoutEnterWritesNothing() {
    edit().select(0, 4);
    const int before = edit().selSizeTwips();
    typeInSizeBox(QStringLiteral("14"));
    QTest::keyClick(form_->sizeFont, Qt::Key_Tab);
    QTest::mouseClick(editor()->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
    edit().select(0, 4);
    QCOMPARE(edit().selSizeTwips(), before);
    QCOMPARE(editsMade(), 0);
    QCOMPARE(form_->sizeFont->currentText(), QStringLiteral("14"));
}

void TestCharFormatGui::colourEditPickAndRepick() {
    edit().select(0, 4);
    pickColour(16); // "Red"
    QCOMPARE(edit().selColor(), QColor(0xFF0000));
    QCOMPARE(form_->RzColorEdit1->selectedColor(), QColor(0xFF0000));
    QTRY_VERIFY(editor()->hasFocus());
    edit().select(9, 3);
    QVERIFY(!edit().selColor().isValid());
    pickColour(16); // the colour already shown, on another selection
    QCOMPARE(edit().selColor(), QColor(0xFF0000));
    QCOMPARE(editsMade(), 2);
}

void TestCharFormatGui::fontDialogFromMenuAndContextMenu() {
    QList<TextFont> offered;
    prompts_.fontAnswer = [&](TextFont& f) {
        offered.append(f);
        f.name = QStringLiteral("dejavu serif");
        f.size = 1000;
        f.style = fsBold | fsItalic;
        return true;
    };
    edit().select(0, 4);
    edit().setSelColor(QColor(0x00FF00));
    form_->sizeFont->setFocus();
    const int editsBefore = editsMade();
    form_->N16->trigger();
    QCOMPARE(edit().selFaceName(), QStringLiteral("dejavu serif"));
    QCOMPARE(edit().selSizeTwips(), 20000);
    QCOMPARE(int(edit().selStyles()), int(fsBold | fsItalic));
    QVERIFY(!edit().selColor().isValid()); // the colour list was never used
    QTRY_VERIFY(editor()->hasFocus());
    // The boxes show the font; their handlers do not run.
    const bool hasSerif = QFontDatabase::families().contains(QStringLiteral("DejaVu Serif"));
    QCOMPARE(form_->RzFontComboBox1->fontName(),
             hasSerif ? QStringLiteral("DejaVu Serif") : QString());
    QCOMPARE(form_->sizeFont->currentText(), QStringLiteral("1000"));
    QCOMPARE(form_->sizeFont->currentIndex(), -1); // no entry "1000" to highlight
    // Colour, face, character set, styles and size: five writes, and none by the boxes.
    QCOMPARE(editsMade() - editsBefore, 5);

    // The context menu's entry runs the same handler, on the dialog's last confirmed font.
    edit().select(5, 3);
    form_->N33->trigger();
    QCOMPARE(offered.size(), 2);
    QCOMPARE(offered.at(0), TextFont());
    QCOMPARE(offered.at(1).name, QStringLiteral("dejavu serif"));
    QCOMPARE(edit().selSizeTwips(), 20000);
}

void TestCharFormatGui::fontDialogCancelled() {
    prompts_.fontAnswer = [](TextFont& f) {
        f.size = 30;
        return false;
    };
    edit().select(0, 4);
    pickFromPopup(form_->sizeFont, 4);
    const QString face = form_->RzFontComboBox1->fontName();
    form_->sizeFont->setFocus();
    const int editsBefore = editsMade();
    form_->N16->trigger();
    QCOMPARE(editsMade(), editsBefore);
    QCOMPARE(edit().selSizeTwips(), 240);
    QCOMPARE(edit().selLength(), 4);
    QCOMPARE(form_->sizeFont->currentText(), QStringLiteral("12"));
    QCOMPARE(form_->RzFontComboBox1->fontName(), face);
    QCOMPARE(form_->charFormatter().dialogFont(), TextFont());
    QCOMPARE(editsMade(), editsBefore);
    QTRY_VERIFY(editor()->hasFocus());
}

void TestCharFormatGui::realFontDialog() {
    const QString family = QStringLiteral("DejaVu Sans");
    if (!QFontDatabase::families().contains(family)) {
        QSKIP("DejaVu Sans is not installed");
    }
    prompts_.fontAnswer = [this](TextFont& f) { return FontDialog::execute(form_.get(), f); };
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<FontDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        ran = true;
        auto* families = dialog->findChild<QListWidget*>(QStringLiteral("familyList"));
        families->setCurrentItem(families->findItems(family, Qt::MatchFixedString).first());
        dialog->findChild<QListWidget*>(QStringLiteral("styleList"))->setCurrentRow(2);
        dialog->findChild<QListWidget*>(QStringLiteral("sizeList"))->setCurrentRow(5); // 14
        dialog->findChild<QCheckBox*>(QStringLiteral("underlineBox"))->setChecked(true);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("okButton")),
                          Qt::LeftButton);
    });
    edit().select(5, 3);
    form_->N16->trigger();
    QVERIFY(ran);
    QCOMPARE(edit().selFaceName(), family);
    QCOMPARE(edit().selSizeTwips(), 280);
    QCOMPARE(int(edit().selStyles()), int(fsBold | fsUnderline));
    QCOMPARE(edit().selCharset(), Charset::Russian);
    QCOMPARE(form_->RzFontComboBox1->fontName(), family);
    QCOMPARE(form_->sizeFont->currentText(), QStringLiteral("14"));
    // The main window is not made active again offscreen; its focus widget is the editor.
    QCOMPARE(form_->focusWidget(), editor());
}

void TestCharFormatGui::savedRtfShowsFormatting() {
    const QString mono = QStringLiteral("DejaVu Sans Mono");
    const int monoRow = form_->RzFontComboBox1->findText(mono);
    if (monoRow < 0) {
        QSKIP("DejaVu Sans Mono is not installed");
    }
    const auto click = [this](const char* name) {
        QTest::mouseClick(form_->findChild<QWidget*>(QLatin1String(name)), Qt::LeftButton);
    };
    edit().setText(QStringLiteral("Жирный курсив подчёркнутый моно крупно красный зачёркнутый"));
    edit().select(0, 6);
    click("RzToolButton9");
    edit().select(7, 6);
    click("RzToolButton10");
    edit().select(14, 12);
    click("RzToolButton11");
    edit().select(27, 4);
    pickFromPopup(form_->RzFontComboBox1, monoRow);
    edit().select(32, 6);
    pickFromPopup(form_->sizeFont, 15); // 72
    edit().select(39, 7);
    pickColour(16); // red
    prompts_.fontAnswer = [](TextFont& f) {
        f.name = QStringLiteral("DejaVu Serif");
        f.size = 14;
        f.style = fsStrikeOut;
        f.charset = Charset::Russian;
        return true;
    };
    edit().select(47, 11);
    form_->N16->trigger();
    QVERIFY(errors_.isEmpty());

    const QByteArray rtf = RtfWriter::toRtf(*edit().document());
    const RtfDocument doc = RtfReader::read(rtf);
    QVERIFY2(doc.ok, qPrintable(doc.error));
    const RtfParagraph& p = doc.paragraphs.first();
    QCOMPARE(p.text, edit().text());
    const auto at = [&](int i) { return p.chars.at(i); };
    QVERIFY(at(0).b && !at(0).i && !at(6).b);
    QVERIFY(at(7).i && !at(7).b);
    QVERIFY(at(14).ul && !at(13).ul);
    QCOMPARE(doc.fonts.value(at(27).font), mono);
    QCOMPARE(at(32).fs, 144); // half points
    QCOMPARE(doc.colors.value(at(39).cf), qRgb(255, 0, 0));
    QVERIFY(at(47).strike && !at(47).b);
    QCOMPARE(doc.fonts.value(at(47).font), QStringLiteral("DejaVu Serif"));
    QCOMPARE(doc.charsets.value(at(47).font), Charset::Russian);
    QCOMPARE(at(47).fs, 28);
    QCOMPARE(at(47).cf, 0); // automatic colour

    // A real reader sees the styles on the right words.
    const QString pandoc = findPandoc();
    if (pandoc.isEmpty()) {
        QSKIP("pandoc is not installed");
    }
    const PandocOutput converted = runPandoc(pandoc, rtf, QStringLiteral("html"));
    QVERIFY2(converted.ok, qPrintable(converted.error));
    const QString html = QString::fromUtf8(converted.bytes).simplified();
    QVERIFY2(html.contains(QStringLiteral("<strong>Жирный</strong>")), qPrintable(html));
    QVERIFY2(html.contains(QStringLiteral("<em>курсив</em>")), qPrintable(html));
    QVERIFY2(html.contains(QStringLiteral("<u>подчёркнутый</u>")), qPrintable(html));
    QVERIFY2(html.contains(QStringLiteral("<del>зачёркнутый</del>")), qPrintable(html));
    // The font table says the mono face is fixed-pitch (\\fmodern): pandoc shows it as code.
    QVERIFY2(html.contains(QStringLiteral("<code>")), qPrintable(html));
    QString text = html;
    text.remove(QStringLiteral("<code>")).remove(QStringLiteral("</code>"));
    QVERIFY2(text.contains(QStringLiteral("моно крупно красный")), qPrintable(html));
}

QTEST_MAIN(TestCharFormatGui)
#include "tst_charformat_gui.moc"
