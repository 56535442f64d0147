#include "AppPrompts.h"
#include "CancellingPrompts.h"
#include "ErrorCapture.h"
#include "Errors.h"
#include "FindDialog.h"
#include "Finder.h"
#include "MainWindowFixture.h"
#include "MessageDialog.h"
#include "Prompts.h"
#include "RichEdit.h"
#include "TForm1.h"
#include "TypeText.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <memory>

namespace {

// Records messages instead of showing them (or hands them on to the real dialogs when forward is
// set); the find dialog itself is always the real one.
class RecordingPrompts : public CancellingPrompts {
public:
    QStringList messages;
    Prompts* forward = nullptr;
    int centeredMessage(const QString& text, MsgDlgType type, int buttons) override {
        if (forward != nullptr) {
            return forward->centeredMessage(text, type, buttons);
        }
        if (type == MsgDlgType::Confirmation && buttons == mbOK) {
            messages.append(text);
        } else {
            messages.append(QStringLiteral("unexpected: ") + text);
        }
        return mrOk;
    }
};

} // namespace

class TestFindGui : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void searchThroughTheDialog();
    void reopeningKeepsStateAndFollowsSelection();
    void notFoundShowsTheMessageDialog();

private:
    // Ctrl+F in the editor of the active main window.
    void pressFind();
    // Enter where the keyboard focus is: after a step it must still be in the dialog.
    void pressEnterInDialog();
    FindDialog* dialog() const { return form_->FindDialog1; }
    RichEdit& edit() const { return *form_->RichEdit1; }
    void checkSelection(int start, int length) const;

    std::unique_ptr<RecordingPrompts> prompts_;
    MainWindowFixture form_;
    QStringList errors_;
    ErrorCapture capture_{errors_}; // for the whole run; init empties errors_
};

void TestFindGui::init() {
    errors_.clear();
    prompts_ = std::make_unique<RecordingPrompts>();
    form_.create(*prompts_).resize(800, 600);
    form_->move(40, 30);
    QVERIFY(form_.show());
}

void TestFindGui::cleanup() {
    form_.reset();
    prompts_.reset();
    QCOMPARE(errors_, QStringList());
}

void TestFindGui::pressFind() {
    // Activation is asynchronous, and a dialog counts as active along with its owner: wait until
    // the window system has really moved the activation.
    form_->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), form_.get());
    QTest::keyClick(edit().widget(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(dialog()->isVisible());
    QTRY_COMPARE(QApplication::activeWindow(), dialog());
}

void TestFindGui::pressEnterInDialog() {
    QCOMPARE(QApplication::activeWindow(), dialog());
    QWidget* focus = QApplication::focusWidget();
    QVERIFY(focus != nullptr && dialog()->isAncestorOf(focus));
    QTest::keyClick(focus, Qt::Key_Return);
}

void TestFindGui::checkSelection(int start, int length) const {
    QCOMPARE(edit().selStart(), start);
    QCOMPARE(edit().selLength(), length);
}

void TestFindGui::searchThroughTheDialog() {
    edit().setText(QStringLiteral("Текст и ТЕКСТ\r\nи текст"));
    edit().setSelStart(0);
    pressFind();

    QCOMPARE(dialog()->windowTitle(), QStringLiteral("Найти"));
    QCOMPARE(dialog()->findEdit()->text(), QString());
    QCOMPARE(dialog()->findEdit()->maxLength(), 255);
    QVERIFY(!dialog()->matchCaseBox()->isChecked());
    const QRect frame = form_->frameGeometry();
    const QPoint expected(frame.left() + frame.width() / 2 - 187,
                          frame.top() + frame.height() / 2 - 67);
    QCOMPARE(dialog()->pos(), expected);

    typeText(dialog()->findEdit(), QStringLiteral("текст"));
    pressEnterInDialog();
    checkSelection(0, 5); // one find-next step, not two
    QTest::mouseClick(dialog()->findNextButton(), Qt::LeftButton);
    checkSelection(8, 5);

    // With the box ticked only the small-letter word matches.
    QTest::mouseClick(dialog()->matchCaseBox(), Qt::LeftButton);
    QVERIFY(dialog()->matchCase());
    pressEnterInDialog();
    checkSelection(17, 5);
    QCOMPARE(form_->finder().FindPos, 22);
    pressEnterInDialog();
    QCOMPARE(prompts_->messages, QStringList{QStringLiteral("Текст не найден")});
    checkSelection(17, 5);

    // The editor stays usable, and the next step sees what was typed.
    edit().setSelStart(edit().textLength());
    typeText(edit().widget(), QStringLiteral(" текст"));
    QCOMPARE(edit().text(), QStringLiteral("Текст и ТЕКСТ\r\nи текст текст"));
    pressEnterInDialog();
    checkSelection(23, 5);
    QVERIFY(dialog()->isVisible());

    QTest::keyClick(dialog()->findEdit(), Qt::Key_Escape);
    QVERIFY(!dialog()->isVisible());
}

void TestFindGui::reopeningKeepsStateAndFollowsSelection() {
    edit().setText(QStringLiteral("alpha ALPHA alpha"));
    edit().select(6, 5);
    pressFind();
    QCOMPARE(dialog()->findEdit()->text(), QStringLiteral("ALPHA"));
    QTest::mouseClick(dialog()->matchCaseBox(), Qt::LeftButton);
    pressEnterInDialog();
    checkSelection(6, 5); // the selected word is found first
    dialog()->move(dialog()->pos() + QPoint(25, 15));
    const QPoint moved = dialog()->pos();
    dialog()->close(); // the close box
    QVERIFY(!dialog()->isVisible());
    QCOMPARE(dialog()->position(), moved);

    // Opening again: the box keeps its tick, the field takes the new selection.
    edit().select(0, 5);
    pressFind();
    QVERIFY(dialog()->matchCase());
    QCOMPARE(dialog()->findEdit()->text(), QStringLiteral("alpha"));

    // "Найти..." while open: the field keeps its text, the dialog moves over the moved window, and
    // the search starts at the selection start again.
    dialog()->findEdit()->selectAll();
    QTest::keyClicks(dialog()->findEdit(), QStringLiteral("ALPHA"));
    form_->move(100, 80);
    edit().select(6, 5);
    pressFind();
    QCOMPARE(dialog()->findEdit()->text(), QStringLiteral("ALPHA"));
    QCOMPARE(dialog()->pos(), FindDialog::positionOver(form_->frameGeometry()));
    QCOMPARE(form_->finder().FindPos, 6);
    QTest::mouseClick(dialog()->findNextButton(), Qt::LeftButton);
    checkSelection(6, 5);
    QTest::mouseClick(dialog()->cancelButton(), Qt::LeftButton);
    QVERIFY(!dialog()->isVisible());
    QVERIFY(prompts_->messages.isEmpty());
}

void TestFindGui::notFoundShowsTheMessageDialog() {
    AppPrompts real;
    prompts_->forward = &real;
    edit().setText(QStringLiteral("abc"));
    edit().select(1, 1);
    pressFind();
    pressEnterInDialog();
    checkSelection(1, 1);

    QString caption;
    bool textShown = false;
    QTimer::singleShot(0, this, [&] {
        auto* box = qobject_cast<MessageDialog*>(QApplication::activeModalWidget());
        if (box == nullptr) {
            return;
        }
        caption = box->windowTitle();
        for (const QLabel* label : box->findChildren<QLabel*>()) {
            textShown = textShown || label->text() == QStringLiteral("Текст не найден");
        }
        QVERIFY(box->button(mbOK) != nullptr);
        QTest::mouseClick(box->button(mbOK), Qt::LeftButton);
    });
    // A box that failed to close would hang the test: close whatever is still modal.
    QTimer::singleShot(3000, this, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            modal->close();
        }
    });
    pressEnterInDialog();
    QCOMPARE(caption, QStringLiteral("Confirm"));
    QVERIFY(textShown);
    checkSelection(1, 1);
    QCOMPARE(form_->finder().FindPos, 2);
    QVERIFY(dialog()->isVisible());
}

QTEST_MAIN(TestFindGui)
#include "tst_find_gui.moc"
