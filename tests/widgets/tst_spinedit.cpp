#include "SpinEdit.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <QWheelEvent>
#include <memory>

namespace {

// Counts the key presses that get past the field to its window.
class KeyCounter : public QWidget {
public:
    int keys = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        ++keys;
        event->accept();
    }
};

} // namespace

class TestSpinEdit : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void valueOf_data();
    void valueOf();
    void typing_data();
    void typing();
    void enterIsRefusedAndGoesNoFurther();
    void steps_data();
    void steps();
    void leavingRewritesText_data();
    void leavingRewritesText();
    void pasteIsNotFiltered();

private:
    // Puts text in the field with the caret at cursor; selection -1 selects everything.
    void prepare(const QString& text, int cursor);

    std::unique_ptr<KeyCounter> window_;
    SpinEdit* edit_ = nullptr;
    QLineEdit* other_ = nullptr;
};

void TestSpinEdit::init() {
    window_ = std::make_unique<KeyCounter>();
    window_->resize(200, 80);
    edit_ = new SpinEdit(window_.get());
    edit_->setGeometry(10, 10, 47, 21);
    other_ = new QLineEdit(window_.get());
    other_->setGeometry(10, 40, 80, 21);
    window_->show();
    QApplication::setActiveWindow(window_.get());
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    edit_->setFocus();
}

void TestSpinEdit::cleanup() {
    window_.reset();
}

void TestSpinEdit::prepare(const QString& text, int cursor) {
    edit_->setText(text);
    auto* line = edit_->findChild<QLineEdit*>();
    if (cursor < 0) {
        line->selectAll();
    } else {
        line->setCursorPosition(cursor);
    }
}

void TestSpinEdit::valueOf_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("zero") << "0" << 0;
    QTest::newRow("inside") << "42" << 42;
    QTest::newRow("above") << "250" << 100;
    QTest::newRow("negative") << "-5" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("not a number") << "abc" << 0;
    QTest::newRow("digits then letters") << "12a" << 0;
    QTest::newRow("blanks and sign") << " +7 " << 7;
    QTest::newRow("leading zeros") << "007" << 7;
    QTest::newRow("decimals round") << "12.6" << 13;
    QTest::newRow("huge") << "99999999999999999999" << 100;
}

void TestSpinEdit::valueOf() {
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(SpinEdit::valueOf(text), value);
}

void TestSpinEdit::typing_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("cursor");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected");
    QTest::newRow("digits over the whole text") << "0" << -1 << "57"
                                                << "57";
    QTest::newRow("digit at the end") << "1" << 1 << "2"
                                      << "12";
    QTest::newRow("letter refused") << "12" << 2 << "a"
                                    << "12";
    QTest::newRow("blank refused") << "12" << 2 << " "
                                   << "12";
    QTest::newRow("point refused") << "12" << 2 << "."
                                   << "12";
    QTest::newRow("minus at the start") << "12" << 0 << "-"
                                        << "-12";
    QTest::newRow("plus at the start") << "12" << 0 << "+"
                                       << "+12";
    QTest::newRow("second sign refused") << "-12" << 0 << "+"
                                         << "-12";
    QTest::newRow("sign inside refused") << "12" << 1 << "-"
                                         << "12";
    QTest::newRow("sign at the end refused") << "12" << 2 << "-"
                                             << "12";
    QTest::newRow("sign over the whole text") << "-12" << -1 << "+"
                                              << "+";
    QTest::newRow("sign into empty") << "" << 0 << "-"
                                     << "-";
    QTest::newRow("mixed: only digits stay") << "" << 0 << "1x2 3"
                                             << "123";
}

void TestSpinEdit::typing() {
    QFETCH(QString, text);
    QFETCH(int, cursor);
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    prepare(text, cursor);
    QTest::keyClicks(edit_, typed);
    QCOMPARE(edit_->text(), expected);
    // Refused keys are swallowed too: nothing reached the window.
    QCOMPARE(window_->keys, 0);
}

void TestSpinEdit::enterIsRefusedAndGoesNoFurther() {
    prepare(QStringLiteral("250"), 3);
    QTest::keyClick(edit_, Qt::Key_Return);
    QTest::keyClick(edit_, Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(window_->keys, 0);
    QCOMPARE(edit_->text(), QStringLiteral("250"));
    QVERIFY(edit_->hasFocus());
}

void TestSpinEdit::steps_data() {
    QTest::addColumn<QString>("text");
    // A key name, "wheel+/-" or "button+/-", each optionally after "ctrl-".
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("up") << "0"
                        << "Up"
                        << "1";
    QTest::newRow("down at 0") << "0"
                               << "Down"
                               << "0";
    QTest::newRow("up at 100") << "100"
                               << "Up"
                               << "100";
    QTest::newRow("down") << "50"
                          << "Down"
                          << "49";
    QTest::newRow("page up") << "50"
                             << "PageUp"
                             << "60";
    QTest::newRow("page up near the top") << "95"
                                          << "PageUp"
                                          << "100";
    QTest::newRow("page down near 0") << "5"
                                      << "PageDown"
                                      << "0";
    QTest::newRow("up from a non-number") << "abc"
                                          << "Up"
                                          << "1";
    QTest::newRow("down from above the range") << "250"
                                               << "Down"
                                               << "99";
    QTest::newRow("ctrl up steps by 1") << "50"
                                        << "ctrl-Up"
                                        << "51";
    QTest::newRow("wheel up") << "50"
                              << "wheel+"
                              << "51";
    QTest::newRow("wheel down") << "50"
                                << "wheel-"
                                << "49";
    QTest::newRow("ctrl wheel up") << "50"
                                   << "ctrl-wheel+"
                                   << "60";
    QTest::newRow("ctrl wheel down near 0") << "7"
                                            << "ctrl-wheel-"
                                            << "0";
    QTest::newRow("up button") << "50"
                               << "button+"
                               << "51";
    QTest::newRow("down button") << "50"
                                 << "button-"
                                 << "49";
    QTest::newRow("down button at 0") << "0"
                                      << "button-"
                                      << "0";
}

void TestSpinEdit::steps() {
    QFETCH(QString, text);
    QFETCH(QString, input);
    QFETCH(QString, expected);
    prepare(text, 0);
    const bool ctrl = input.startsWith(QLatin1String("ctrl-"));
    const Qt::KeyboardModifiers modifiers = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    const QString what = ctrl ? input.mid(5) : input;
    if (what.startsWith(QLatin1String("button"))) {
        // The small buttons share the right end of the field, up above down.
        const bool up = what.endsWith(QLatin1Char('+'));
        const QPoint at(edit_->width() - 5, up ? 4 : edit_->height() - 4);
        QTest::mouseClick(edit_, Qt::LeftButton, Qt::NoModifier, at);
    } else if (what.startsWith(QLatin1String("wheel"))) {
        const int delta = what.endsWith(QLatin1Char('+')) ? 120 : -120;
        const QPoint at = edit_->rect().center();
        QWheelEvent wheel(at, edit_->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                          modifiers, Qt::NoScrollPhase, false);
        QApplication::sendEvent(edit_, &wheel);
    } else {
        const QMap<QString, Qt::Key> keys{{QStringLiteral("Up"), Qt::Key_Up},
                                          {QStringLiteral("Down"), Qt::Key_Down},
                                          {QStringLiteral("PageUp"), Qt::Key_PageUp},
                                          {QStringLiteral("PageDown"), Qt::Key_PageDown}};
        QTest::keyClick(edit_, keys.value(what), modifiers);
    }
    QCOMPARE(edit_->text(), expected);
}

void TestSpinEdit::leavingRewritesText_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("above") << "250"
                           << "100";
    QTest::newRow("negative") << "-5"
                              << "0";
    QTest::newRow("empty") << ""
                           << "0";
    QTest::newRow("not a number") << "abc"
                                  << "0";
    QTest::newRow("leading zeros and sign") << "+007"
                                            << "7";
    QTest::newRow("inside stays") << "42"
                                  << "42";
}

void TestSpinEdit::leavingRewritesText() {
    QFETCH(QString, text);
    QFETCH(QString, expected);
    prepare(text, 0);
    QTest::keyClick(edit_, Qt::Key_Tab);
    QVERIFY(other_->hasFocus());
    QCOMPARE(edit_->text(), expected);
    QCOMPARE(edit_->value(), SpinEdit::valueOf(expected));
}

void TestSpinEdit::pasteIsNotFiltered() {
    QApplication::clipboard()->setText(QStringLiteral("x 1,5"));
    prepare(QStringLiteral("12"), -1);
    QTest::keyClick(edit_, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit_->text(), QStringLiteral("x 1,5"));
    // Backspace and Delete work as in any text field.
    QTest::keyClick(edit_, Qt::Key_Backspace);
    QTest::keyClick(edit_, Qt::Key_Home);
    QTest::keyClick(edit_, Qt::Key_Delete);
    QCOMPARE(edit_->text(), QStringLiteral(" 1,"));
    other_->setFocus();
    QCOMPARE(edit_->text(), QStringLiteral("0"));
}

QTEST_MAIN(TestSpinEdit)
#include "tst_spinedit.moc"
