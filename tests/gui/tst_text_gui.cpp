#include "CancellingPrompts.h"
#include "ErrorCapture.h"
#include "Errors.h"
#include "MainWindowFixture.h"
#include "Prompts.h"
#include "RichEdit.h"
#include "TForm1.h"
#include "TextCommands.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTextEdit>
#include <memory>

namespace {

// Counts the questions asked; any question answers No.
class CountingPrompts : public CancellingPrompts {
public:
    int questions = 0;
    int centeredMessage(const QString&, MsgDlgType, int) override {
        ++questions;
        return mrNo;
    }
};

const QString kStamp = QStringLiteral("06.12.2026 год. Время - 22:14:27 ");

} // namespace

class TestTextGui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void shortcutsActOnTheEditorFromTheSizeBox_data();
    void shortcutsActOnTheEditorFromTheSizeBox();
    void clearedDocumentClosesWithoutQuestion();
    void menuEntryRemovesExtraSpaces();

private:
    RichEdit& edit() const { return *form_->RichEdit1; }

    std::unique_ptr<CountingPrompts> prompts_;
    MainWindowFixture form_;
    QStringList errors_;
    ErrorCapture capture_{errors_}; // for the whole run; init empties errors_
};

void TestTextGui::init() {
    errors_.clear();
    prompts_ = std::make_unique<CountingPrompts>();
    form_.create(*prompts_);
    form_->textCommands().setClock([] { return QDateTime(QDate(2026, 12, 6), QTime(22, 14, 27)); });
    form_->textCommands().setSeparatorReader([] { return QLatin1Char(':'); });
    form_->resize(800, 600);
    QVERIFY(form_.show());
}

void TestTextGui::cleanup() {
    form_.reset();
    prompts_.reset();
    QCOMPARE(errors_, QStringList());
}

void TestTextGui::shortcutsActOnTheEditorFromTheSizeBox_data() {
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QString>("text");
    QTest::newRow("F5 stamps") << QKeySequence(Qt::Key_F5) << "ab " + kStamp + " cd";
    QTest::newRow("Ctrl+Z undoes") << QKeySequence(Qt::CTRL | Qt::Key_Z) << "ab XYZ cd";
    QTest::newRow("Shift+Ctrl+O clears") << QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_O) << "";
}

void TestTextGui::shortcutsActOnTheEditorFromTheSizeBox() {
    QFETCH(QKeySequence, keys);
    QFETCH(QString, text);
    edit().setText("ab XYZ cd");
    edit().select(3, 3);
    edit().replaceSelection("Q");
    edit().select(3, 1);
    QLineEdit* box = form_->sizeFont->lineEdit();
    box->setFocus();
    QTRY_VERIFY(box->hasFocus());
    const QString boxText = box->text();
    QTest::keySequence(form_.get(), keys);
    QCOMPARE(edit().text(), text);
    QCOMPARE(box->text(), boxText);
}

void TestTextGui::clearedDocumentClosesWithoutQuestion() {
    edit().widget()->setFocus();
    QTest::keyClicks(edit().widget(), "typed");
    QVERIFY(edit().modified());
    QTest::keySequence(form_.get(), QKeySequence(Qt::SHIFT | Qt::CTRL | Qt::Key_O));
    QCOMPARE(edit().text(), QString());
    QVERIFY(form_->close());
    QCOMPARE(prompts_->questions, 0);
}

void TestTextGui::menuEntryRemovesExtraSpaces() {
    edit().setText("a  b   c");
    form_->N4->trigger();
    QCOMPARE(edit().text(), QStringLiteral("a b c"));
    form_->N18->trigger();
    QCOMPARE(edit().text(), QStringLiteral("a  b   c"));
}

QTEST_MAIN(TestTextGui)
#include "tst_text_gui.moc"
