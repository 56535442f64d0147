#include "CancellingPrompts.h"
#include "ErrorCapture.h"
#include "Errors.h"
#include "FramedComboBox.h"
#include "MainWindowFixture.h"
#include "Pandoc.h"
#include "Prompts.h"
#include "RichEdit.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "SpinEdit.h"
#include "TForm1.h"
#include "Tabzac.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <functional>
#include <memory>

class TestParaFormatGui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void toolButtons();
    void enterAndBackspaceInBullets_data();
    void enterAndBackspaceInBullets();
    void dialogFromTheMenu();
    void badTextShowsErrorAndKeepsDialogOpen();
    void savedRtfKeepsParagraphFormatting();

private:
    // Chooses "Отступ абзаца..." and runs act on the dialog while it is shown modally.
    void runDialog(const std::function<void(Tabzac*)>& act);
    void clickTool(const char* name);
    RichEdit& edit() const { return *form_->RichEdit1; }

    CancellingPrompts prompts_;
    MainWindowFixture form_;
    std::unique_ptr<Tabzac> dialog_;
    QStringList errors_;
    ErrorCapture capture_{errors_}; // for the whole run; init empties errors_
};

void TestParaFormatGui::init() {
    errors_.clear();
    form_.create(prompts_);
    // As at start-up: the dialog exists, hidden, before it is first asked for.
    dialog_ = std::make_unique<Tabzac>(form_.get());
    abzac = dialog_.get();
    form_->resize(800, 600);
    QVERIFY(form_.show());
    edit().setText(QStringLiteral("one\r\ntwo\r\nthree"));
    edit().setFocus();
}

void TestParaFormatGui::cleanup() {
    dialog_.reset();
    QVERIFY(abzac == nullptr);
    form_.reset();
}

void TestParaFormatGui::runDialog(const std::function<void(Tabzac*)>& act) {
    bool ran = false;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<Tabzac*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            return;
        }
        ran = true;
        QApplication::setActiveWindow(dialog);
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        act(dialog);
        if (dialog->isVisible()) {
            dialog->Button2->click();
        }
    });
    form_->N17->trigger();
    QVERIFY(ran);
    QVERIFY(!abzac->isVisible());
}

void TestParaFormatGui::clickTool(const char* name) {
    auto* button = form_->findChild<QWidget*>(QLatin1String(name));
    QVERIFY(button != nullptr);
    QTest::mouseClick(button, Qt::LeftButton);
}

void TestParaFormatGui::toolButtons() {
    edit().select(1, 6); // "one" and "two"
    clickTool("RzToolButton7");
    clickTool("RzToolButton12");
    // Tool buttons leave the focus in the editor.
    QVERIFY(edit().widget()->hasFocus());
    for (int position : {1, 6}) {
        edit().setSelStart(position);
        QCOMPARE(edit().paraAlignment(), ParaAlignment::Center);
        QCOMPARE(edit().paraNumbering(), ParaNumbering::Bullet);
        QCOMPARE(edit().paraOffset(), 200);
    }
    edit().setSelStart(11);
    QCOMPARE(edit().paraAlignment(), ParaAlignment::Left);
    QCOMPARE(edit().paraNumbering(), ParaNumbering::None);

    edit().select(1, 6);
    clickTool("RzToolButton8");
    clickTool("RzToolButton12");
    QCOMPARE(edit().paraAlignment(), ParaAlignment::Right);
    QCOMPARE(edit().paraNumbering(), ParaNumbering::None);
    QCOMPARE(edit().paraOffset(), 0);
    clickTool("RzToolButton6");
    QCOMPARE(edit().paraAlignment(), ParaAlignment::Left);
}

void TestParaFormatGui::enterAndBackspaceInBullets_data() {
    // keys: a letter is typed, '*' clicks the bullet button, '\n' is Enter, '<' is Backspace.
    // Each paragraph: its text, then '*' when it has a bullet.
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("paragraphs");
    QTest::newRow("Enter on an empty bulleted paragraph keeps the bullet")
        << "a*\n\nb" << QStringList{"a*", "*", "b*"};
    QTest::newRow("Enter at the end of the text") << "a*\n" << QStringList{"a*", "*"};
    QTest::newRow("Backspace takes an empty paragraph out of the list")
        << "a*\n\n<" << QStringList{"a*", "*", ""};
    // The joined paragraph keeps the format of the later one, whose break remains.
    QTest::newRow("a second Backspace joins it to the one before")
        << "a*\n\n<<" << QStringList{"a*", ""};
    QTest::newRow("the bullet button ends the bullet") << "a*\n*b" << QStringList{"a*", "b"};
}

void TestParaFormatGui::enterAndBackspaceInBullets() {
    QFETCH(QString, keys);
    QFETCH(QStringList, paragraphs);
    edit().setText(QString());
    QWidget* view = edit().widget();
    for (const QChar key : keys) {
        if (key == QLatin1Char('*')) {
            clickTool("RzToolButton12");
        } else if (key == QLatin1Char('\n')) {
            QTest::keyClick(view, Qt::Key_Return);
        } else if (key == QLatin1Char('<')) {
            QTest::keyClick(view, Qt::Key_Backspace);
        } else {
            QTest::keyClicks(view, QString(key));
        }
    }
    QApplication::processEvents(); // the geometry is mended after the edit
    const QStringList texts = edit().text().split(QStringLiteral("\r\n"));
    QStringList shown;
    int position = 0;
    for (const QString& text : texts) {
        edit().setSelStart(position);
        const bool bullet = edit().paraNumbering() == ParaNumbering::Bullet;
        shown << text + (bullet ? QStringLiteral("*") : QString());
        if (bullet) { // with the indents the bullet button gave it
            QCOMPARE(edit().paraOffset(), 200);
        }
        position += text.size() + 2;
    }
    QCOMPARE(shown, paragraphs);
}

void TestParaFormatGui::dialogFromTheMenu() {
    edit().select(6, 6); // "two" and "three"
    runDialog([](Tabzac* dialog) {
        QCOMPARE(dialog, abzac);
        dialog->RzComboBox1->setCurrentIndex(1);
        SpinEdit* left = dialog->RzSpinEdit1;
        left->setFocus();
        left->selectAll();
        QTest::keyClicks(left, QStringLiteral("250"));
        QTest::keyClick(left, Qt::Key_Escape); // presses nothing
        QVERIFY(dialog->isVisible());
        dialog->RzSpinEdit3->setText(QStringLiteral("10"));
        QTest::mouseClick(dialog->Button1, Qt::LeftButton);
        QCOMPARE(left->text(), QStringLiteral("100"));
    });
    for (int position : {6, 12}) {
        edit().setSelStart(position);
        QCOMPARE(edit().paraAlignment(), ParaAlignment::Center);
        QCOMPARE(edit().paraOffset(), 2000);
        QCOMPARE(edit().paraStartIndent(), 200);
        QCOMPARE(edit().paraRightIndent(), 0);
    }
    edit().setSelStart(0);
    QCOMPARE(edit().paraOffset(), 0);

    // Edits before "Отмена" are kept; the paragraph's own values are not shown.
    edit().setParaStartIndent(500);
    runDialog([](Tabzac* dialog) {
        QCOMPARE(dialog->RzComboBox1->currentIndex(), 1);
        QCOMPARE(dialog->RzSpinEdit1->text(), QStringLiteral("100"));
        QCOMPARE(dialog->RzSpinEdit3->text(), QStringLiteral("10"));
        dialog->RzSpinEdit2->setText(QStringLiteral("7"));
        QTest::mouseClick(dialog->Button2, Qt::LeftButton);
    });
    QCOMPARE(edit().paraStartIndent(), 500);
    QCOMPARE(edit().paraRightIndent(), 0);
    runDialog([](Tabzac* dialog) { QCOMPARE(dialog->RzSpinEdit2->text(), QStringLiteral("7")); });
}

void TestParaFormatGui::badTextShowsErrorAndKeepsDialogOpen() {
    edit().setSelStart(0);
    runDialog([this](Tabzac* dialog) {
        dialog->RzComboBox1->setCurrentIndex(2);
        dialog->RzSpinEdit1->setText(QStringLiteral("4"));
        dialog->RzSpinEdit2->setText(QStringLiteral("1 2"));
        // A click that leaves the focus where it is: the text reaches "Ок" unrewritten.
        dialog->Button1->click();
        QCOMPARE(errors_, QStringList{QStringLiteral("'1 2' is not a valid integer value")});
        QVERIFY(dialog->isVisible());
    });
    QCOMPARE(edit().paraAlignment(), ParaAlignment::Right);
    QCOMPARE(edit().paraOffset(), 80);
    QCOMPARE(edit().paraRightIndent(), 0);
}

void TestParaFormatGui::savedRtfKeepsParagraphFormatting() {
    edit().setText(QStringLiteral("Заголовок\r\nПервая строка абзаца\r\nПункт\r\nПодпись"));
    const auto dialog = [this](int alignment, const char* left, const char* right,
                               const char* first) {
        runDialog([=](Tabzac* d) {
            d->RzComboBox1->setCurrentIndex(alignment);
            d->RzSpinEdit1->setText(QLatin1String(left));
            d->RzSpinEdit2->setText(QLatin1String(right));
            d->RzSpinEdit3->setText(QLatin1String(first));
            d->Button1->click();
        });
    };
    edit().setSelStart(0);
    dialog(1, "0", "0", "0");
    edit().setSelStart(13);
    dialog(0, "20", "15", "10");
    edit().setSelStart(35);
    clickTool("RzToolButton12");
    edit().setSelStart(42);
    clickTool("RzToolButton8");

    const QByteArray rtf = RtfWriter::toRtf(*edit().document());
    const RtfDocument doc = RtfReader::read(rtf);
    QVERIFY2(doc.ok, qPrintable(doc.error));
    QCOMPARE(doc.paragraphs.size(), 4);
    const auto& p = doc.paragraphs;
    QCOMPARE(p[0].align, 'c');
    QCOMPARE(p[0].li + p[0].fi + p[0].ri, 0);
    // First line at 10 pt (li + fi = 200 twips), later lines at 30 pt, right indent 15 pt.
    QCOMPARE(p[1].align, 'l');
    QCOMPARE(p[1].li, 600);
    QCOMPARE(p[1].li + p[1].fi, 200);
    QCOMPARE(p[1].ri, 300);
    QVERIFY(p[2].bullet);
    QCOMPARE(p[2].li, 200);
    QCOMPARE(p[2].li + p[2].fi, 0);
    QCOMPARE(p[3].align, 'r');
    QVERIFY(!p[0].bullet && !p[1].bullet && !p[3].bullet);

    // A real reader sees the bullet as a list of one item among plain paragraphs. (Its document
    // model has no alignment or indents, so those were checked above.)
    const QString pandoc = findPandoc();
    if (pandoc.isEmpty()) {
        QSKIP("pandoc is not installed");
    }
    const PandocOutput converted = runPandoc(pandoc, rtf, QStringLiteral("json"));
    QVERIFY2(converted.ok, qPrintable(converted.error));
    const QJsonArray blocks =
        QJsonDocument::fromJson(converted.bytes).object().value(QLatin1String("blocks")).toArray();
    QStringList kinds;
    for (const QJsonValue& block : blocks) {
        kinds.append(block.toObject().value(QLatin1String("t")).toString());
    }
    QCOMPARE(kinds, (QStringList{QStringLiteral("Para"), QStringLiteral("Para"),
                                 QStringLiteral("BulletList"), QStringLiteral("Para")}));
    QCOMPARE(blocks[2].toObject().value(QLatin1String("c")).toArray().size(), 1);
}

QTEST_MAIN(TestParaFormatGui)
#include "tst_paraformat_gui.moc"
