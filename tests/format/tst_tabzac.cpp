#include "Errors.h"
#include "FramePlacement.h"
#include "FramedComboBox.h"
#include "ParaFormatter.h"
#include "RichEdit.h"
#include "SpinEdit.h"
#include "Tabzac.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <memory>

class TestTabzac : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void layout_data();
    void layout();
    void windowAndTexts();
    void tabOrder();
    void enterAndEscapePressNothing_data();
    void enterAndEscapePressNothing();
    void okWritesAndCloses();
    void okTakesFocusAndClampsTypedText();
    void badTextKeepsDialogOpen();
    void cancelKeepsEditsAndWritesNothing();
    void reappearsWhereItWas();
    void executeCreatesTheDialogOnce();
    void comboFrameTurnsHot();

private:
    void showDialog();

    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<RichEdit> edit_;
    std::unique_ptr<ParaFormatter> formatter_;
    Tabzac* dialog_ = nullptr;
    QStringList errors_;
    QList<bool> onTopWhileReporting_;
    ErrorReporter previous_;
};

void TestTabzac::init() {
    owner_ = std::make_unique<QWidget>();
    owner_->setGeometry(100, 100, 800, 600);
    edit_ = std::make_unique<RichEdit>();
    edit_->setText(QStringLiteral("one\r\ntwo\r\nthree"));
    formatter_ = std::make_unique<ParaFormatter>(*edit_);
    dialog_ = new Tabzac(owner_.get());
    dialog_->setParaFormatter(formatter_.get());
    errors_.clear();
    onTopWhileReporting_.clear();
    previous_ = setErrorReporter([this](const QString& message) {
        errors_.append(message);
        onTopWhileReporting_.append(
            dialog_->windowHandle() != nullptr &&
            dialog_->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    });
}

void TestTabzac::cleanup() {
    setErrorReporter(previous_);
    formatter_.reset();
    edit_.reset();
    owner_.reset(); // deletes the dialog
    QVERIFY(abzac == nullptr);
}

void TestTabzac::showDialog() {
    owner_->show();
    dialog_->show();
    QApplication::setActiveWindow(dialog_);
    QVERIFY(QTest::qWaitForWindowActive(dialog_));
}

void TestTabzac::layout_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("bounds");
    QTest::newRow("RzComboBox1") << "RzComboBox1" << QRect(144, 24, 145, 21);
    QTest::newRow("RzSpinEdit1") << "RzSpinEdit1" << QRect(104, 80, 47, 21);
    QTest::newRow("RzSpinEdit2") << "RzSpinEdit2" << QRect(104, 104, 47, 21);
    QTest::newRow("RzSpinEdit3") << "RzSpinEdit3" << QRect(352, 80, 47, 21);
    QTest::newRow("Button1") << "Button1" << QRect(137, 136, 75, 25);
    QTest::newRow("Button2") << "Button2" << QRect(225, 136, 75, 25);
}

void TestTabzac::layout() {
    QFETCH(QString, name);
    QFETCH(QRect, bounds);
    auto* widget = dialog_->findChild<QWidget*>(name);
    QVERIFY(widget != nullptr);
    QCOMPARE(widget->geometry(), bounds);
}

void TestTabzac::windowAndTexts() {
    QCOMPARE(dialog_->windowTitle(), QStringLiteral("  Абзац"));
    QCOMPARE(dialog_->size(), QSize(437, 168));
    QCOMPARE(dialog_->minimumSize(), dialog_->maximumSize());
    QCOMPARE(dialog_->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(dialog_->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(dialog_->windowFlags() & Qt::WindowMinMaxButtonsHint));

    const QList<std::pair<QLabel*, QString>> labels{
        {dialog_->Label1, QStringLiteral("Выравнивание")},
        {dialog_->Label2, QStringLiteral("Отступ в пикселях")},
        {dialog_->Label3, QStringLiteral("Слева")},
        {dialog_->Label4, QStringLiteral("Справа")},
        {dialog_->Label5, QStringLiteral("Первой строки на:")}};
    for (const auto& [label, text] : labels) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(label->font().pixelSize(), 16);
        // The text fits the label's layout width.
        QVERIFY2(label->fontMetrics().horizontalAdvance(text) <= label->width() + 2,
                 qPrintable(text));
    }
    QCOMPARE(dialog_->Bevel1->geometry(), QRect(8, 51, 418, 3));
    QCOMPARE(dialog_->Bevel1->frameShape(), QFrame::HLine);

    QComboBox* combo = dialog_->RzComboBox1;
    QVERIFY(!combo->isEditable());
    QCOMPARE(combo->count(), 3);
    QCOMPARE(combo->itemText(0), QStringLiteral("По левому краю"));
    QCOMPARE(combo->itemText(1), QStringLiteral("По центру"));
    QCOMPARE(combo->itemText(2), QStringLiteral("По правому краю"));
    QCOMPARE(combo->currentIndex(), 0);
    for (SpinEdit* spin : {dialog_->RzSpinEdit1, dialog_->RzSpinEdit2, dialog_->RzSpinEdit3}) {
        QCOMPARE(spin->text(), QStringLiteral("0"));
    }
    QCOMPARE(dialog_->Button1->text(), QStringLiteral("Ок"));
    QCOMPARE(dialog_->Button1->toolTip(), QStringLiteral("Применить"));
    QCOMPARE(dialog_->Button2->text(), QStringLiteral("Отмена"));
    QCOMPARE(dialog_->Button2->toolTip(), QStringLiteral("Отмена"));
}

void TestTabzac::tabOrder() {
    showDialog();
    const QList<QWidget*> order{dialog_->RzSpinEdit1, dialog_->RzSpinEdit2, dialog_->RzSpinEdit3,
                                dialog_->RzComboBox1, dialog_->Button1,     dialog_->Button2};
    order.first()->setFocus();
    for (int i = 1; i <= order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order[i % order.size()]);
    }
}

void TestTabzac::enterAndEscapePressNothing_data() {
    QTest::addColumn<QString>("focus");
    QTest::addColumn<int>("key");
    for (const char* name : {"RzSpinEdit2", "RzComboBox1", "Button1", "Button2"}) {
        QTest::addRow("Enter in %s", name) << name << int(Qt::Key_Return);
        QTest::addRow("Escape in %s", name) << name << int(Qt::Key_Escape);
    }
}

void TestTabzac::enterAndEscapePressNothing() {
    QFETCH(QString, focus);
    QFETCH(int, key);
    showDialog();
    dialog_->RzSpinEdit1->setText(QStringLiteral("30"));
    auto* widget = dialog_->findChild<QWidget*>(focus);
    widget->setFocus();
    QTest::keyClick(widget, Qt::Key(key));
    QVERIFY(dialog_->isVisible());
    edit_->setSelStart(0);
    QCOMPARE(edit_->paraOffset(), 0);
}

void TestTabzac::okWritesAndCloses() {
    showDialog();
    dialog_->RzComboBox1->setCurrentIndex(1);
    dialog_->RzSpinEdit1->setText(QStringLiteral("20"));
    dialog_->RzSpinEdit2->setText(QStringLiteral("5"));
    dialog_->RzSpinEdit3->setText(QStringLiteral("10"));
    edit_->select(1, 6);
    QTest::mouseClick(dialog_->Button1, Qt::LeftButton);
    QVERIFY(!dialog_->isVisible());
    QVERIFY(errors_.isEmpty());
    for (int position : {1, 6}) {
        edit_->setSelStart(position);
        QCOMPARE(edit_->paraAlignment(), ParaAlignment::Center);
        QCOMPARE(edit_->paraStartIndent(), 200);
        QCOMPARE(edit_->paraOffset(), 400);
        QCOMPARE(edit_->paraRightIndent(), 100);
    }
    edit_->setSelStart(11);
    QCOMPARE(edit_->paraAlignment(), ParaAlignment::Left);
    QCOMPARE(edit_->paraOffset(), 0);
}

void TestTabzac::okTakesFocusAndClampsTypedText() {
    showDialog();
    SpinEdit* spin = dialog_->RzSpinEdit2;
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("250"));
    QCOMPARE(spin->text(), QStringLiteral("250"));
    edit_->setSelStart(0);
    QTest::mouseClick(dialog_->Button1, Qt::LeftButton);
    QCOMPARE(spin->text(), QStringLiteral("100"));
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(edit_->paraRightIndent(), 2000);
}

void TestTabzac::badTextKeepsDialogOpen() {
    showDialog();
    dialog_->RzComboBox1->setCurrentIndex(2);
    dialog_->RzSpinEdit1->setText(QStringLiteral("15"));
    dialog_->RzSpinEdit2->setText(QStringLiteral("x5"));
    dialog_->RzSpinEdit3->setText(QStringLiteral("7"));
    edit_->setSelStart(0);
    // Clicked without taking the focus: the text reaches "Ок" as it is.
    dialog_->Button1->setFocusPolicy(Qt::NoFocus);
    dialog_->Button1->click();
    QCOMPARE(errors_, QStringList{QStringLiteral("'x5' is not a valid integer value")});
    // While the error box was up the dialog did not stay on top of it; afterwards it does again.
    QCOMPARE(onTopWhileReporting_, QList<bool>{false});
    QVERIFY(dialog_->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(dialog_->isVisible());
    QCOMPARE(dialog_->RzSpinEdit2->text(), QStringLiteral("x5"));
    QCOMPARE(edit_->paraAlignment(), ParaAlignment::Right);
    QCOMPARE(edit_->paraOffset(), 300);
    QCOMPARE(edit_->paraRightIndent(), 0);
    QCOMPARE(edit_->paraStartIndent(), 0);
}

void TestTabzac::cancelKeepsEditsAndWritesNothing() {
    showDialog();
    dialog_->RzComboBox1->setCurrentIndex(2);
    dialog_->RzSpinEdit1->setText(QStringLiteral("40"));
    dialog_->RzSpinEdit3->setText(QStringLiteral("12"));
    edit_->setSelStart(0);
    edit_->setParaStartIndent(260);
    QTest::mouseClick(dialog_->Button2, Qt::LeftButton);
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(edit_->paraAlignment(), ParaAlignment::Left);
    QCOMPARE(edit_->paraOffset(), 0);
    QCOMPARE(edit_->paraStartIndent(), 260);
    // Reopened: the edits, not the paragraph's values.
    showDialog();
    QCOMPARE(dialog_->RzComboBox1->currentIndex(), 2);
    QCOMPARE(dialog_->RzSpinEdit1->text(), QStringLiteral("40"));
    QCOMPARE(dialog_->RzSpinEdit2->text(), QStringLiteral("0"));
    QCOMPARE(dialog_->RzSpinEdit3->text(), QStringLiteral("12"));
}

void TestTabzac::reappearsWhereItWas() {
    showDialog();
    // The first showing centres the frame over the owner's frame.
    QCOMPARE(dialog_->frameGeometry().topLeft(),
             FramePlacement::centredOver(owner_->frameGeometry(), dialog_->frameGeometry().size()));
    // Moved the way a user drags it: by the window system, not by the program.
    dialog_->windowHandle()->setFramePosition(QPoint(150, 170));
    QTRY_COMPARE(dialog_->pos(), QPoint(150, 170));
    const QPoint moved = dialog_->pos();
    dialog_->Button2Click();
    QVERIFY(!dialog_->isVisible());
    showDialog();
    QCOMPARE(dialog_->pos(), moved);
}

void TestTabzac::executeCreatesTheDialogOnce() {
    QVERIFY(abzac == nullptr);
    owner_->show();
    Tabzac* seen = nullptr;
    int runs = 0;
    const auto answer = [&] {
        auto* shown = qobject_cast<Tabzac*>(QApplication::activeModalWidget());
        QVERIFY(shown != nullptr);
        seen = shown;
        ++runs;
        shown->RzSpinEdit3->setText(QStringLiteral("3"));
        shown->Button1->click();
    };
    edit_->setSelStart(12);
    QTimer::singleShot(0, this, answer);
    Tabzac::execute(owner_.get(), *formatter_);
    QVERIFY(abzac != nullptr);
    QCOMPARE(seen, abzac);
    QCOMPARE(abzac->parentWidget(), owner_.get());
    QTimer::singleShot(0, this, answer);
    Tabzac::execute(owner_.get(), *formatter_);
    QCOMPARE(seen, abzac);
    QCOMPARE(runs, 2);
    QVERIFY(!abzac->isVisible());
    QCOMPARE(edit_->paraStartIndent(), 60);
}

void TestTabzac::comboFrameTurnsHot() {
    showDialog();
    FramedComboBox* combo = dialog_->RzComboBox1;
    QVERIFY(!combo->isHot());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), combo->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(combo, &enter);
    QVERIFY(combo->isHot());
    const QImage hot = combo->grab().toImage();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(combo, &leave);
    QVERIFY(!combo->isHot());
    const QImage normal = combo->grab().toImage();
    // Bold frame: two pixels of the frame colour; hot: one pixel of sky blue.
    QCOMPARE(normal.pixelColor(0, 10), combo->frameColor());
    QCOMPARE(normal.pixelColor(1, 10), combo->frameColor());
    QCOMPARE(hot.pixelColor(0, 10), combo->hotFrameColor());
    QVERIFY(hot.pixelColor(1, 10) != combo->hotFrameColor());
}

QTEST_MAIN(TestTabzac)
#include "tst_tabzac.moc"
