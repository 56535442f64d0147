#include "FindDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <memory>

class TestFindDialog : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void positionOverWindow_data();
    void positionOverWindow();
    void firstOpeningWithoutWindowIsCentred();
    void opensOverOwnerAndRemembersWhereClosed_data();
    void opensOverOwnerAndRemembersWhereClosed();
    void fieldTakesPresetOnlyWhenOpening();
    void enterAndButtonRequestFind();

private:
    std::unique_ptr<QWidget> owner_;
    FindDialog* dialog_ = nullptr;
};

void TestFindDialog::init() {
    owner_ = std::make_unique<QWidget>();
    owner_->setGeometry(100, 80, 640, 480);
    owner_->show();
    QVERIFY(QTest::qWaitForWindowExposed(owner_.get()));
    dialog_ = new FindDialog(owner_.get());
}

void TestFindDialog::cleanup() {
    owner_.reset();
}

void TestFindDialog::positionOverWindow_data() {
    QTest::addColumn<QRect>("frame");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("even size") << QRect(0, 0, 1024, 768) << QPoint(325, 317);
    QTest::newRow("odd size halves truncate") << QRect(10, 20, 801, 601) << QPoint(223, 253);
    QTest::newRow("left of the primary screen")
        << QRect(-1920, 0, 1920, 1080) << QPoint(-1147, 473);
    QTest::newRow("window smaller than the dialog") << QRect(0, 0, 100, 50) << QPoint(-137, -42);
}

void TestFindDialog::positionOverWindow() {
    QFETCH(QRect, frame);
    QFETCH(QPoint, position);
    QCOMPARE(FindDialog::positionOver(frame), position);
}

void TestFindDialog::firstOpeningWithoutWindowIsCentred() {
    owner_.reset();
    QTRY_COMPARE(QApplication::activeWindow(), nullptr);
    FindDialog alone;
    alone.execute(QString());
    QVERIFY(alone.isVisible());
    QCOMPARE(alone.position(), FindDialog::kNoPosition);
    // Centred as laid out before the window system adds its frame, so allow the frame's width.
    const QRect area = alone.screen()->availableGeometry();
    const QSize size = alone.frameGeometry().size();
    const QPoint centred(area.left() + (area.width() - size.width()) / 2,
                         area.top() + (area.height() - size.height()) / 3);
    QVERIFY2((alone.pos() - centred).manhattanLength() <= 8,
             qPrintable(QStringLiteral("at %1,%2").arg(alone.x()).arg(alone.y())));
    alone.reject();
}

void TestFindDialog::opensOverOwnerAndRemembersWhereClosed_data() {
    QTest::addColumn<int>("how");
    QTest::newRow("cancel button") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
}

void TestFindDialog::opensOverOwnerAndRemembersWhereClosed() {
    QFETCH(int, how);
    dialog_->execute(QString());
    const QPoint over = FindDialog::positionOver(owner_->frameGeometry());
    QCOMPARE(dialog_->pos(), over);
    QCOMPARE(dialog_->position(), over);

    dialog_->move(over + QPoint(30, -20));
    switch (how) {
    case 0:
        QTest::mouseClick(dialog_->cancelButton(), Qt::LeftButton);
        break;
    case 1:
        QTest::keyClick(dialog_->findEdit(), Qt::Key_Escape);
        break;
    default:
        dialog_->close();
    }
    QVERIFY(!dialog_->isVisible());
    QCOMPARE(dialog_->position(), over + QPoint(30, -20));

    // A stored position equal to the computed one is kept; the dialog reopens there.
    dialog_->setPosition(over);
    dialog_->execute(QString());
    QCOMPARE(dialog_->pos(), over);

    // While open, a new position moves it at once.
    dialog_->setPosition(QPoint(5, 6));
    QCOMPARE(dialog_->pos(), QPoint(5, 6));
}

void TestFindDialog::fieldTakesPresetOnlyWhenOpening() {
    dialog_->execute(QString(300, QLatin1Char('x')));
    QCOMPARE(dialog_->findEdit()->text().size(), kMaxFindText);
    QCOMPARE(dialog_->findText().size(), kMaxFindText);

    dialog_->findEdit()->setText(QStringLiteral("typed"));
    dialog_->setMatchCase(true);
    dialog_->execute(QStringLiteral("selection"));
    QCOMPARE(dialog_->findEdit()->text(), QStringLiteral("typed"));

    dialog_->reject();
    dialog_->execute(QStringLiteral("selection"));
    QCOMPARE(dialog_->findEdit()->text(), QStringLiteral("selection"));

    // A selection over several paragraphs reaches the field with its breaks.
    dialog_->reject();
    dialog_->execute(QStringLiteral("end\r\nstart"));
    QCOMPARE(dialog_->findEdit()->text(), QStringLiteral("end\r\nstart"));
    QVERIFY(dialog_->matchCase());
}

void TestFindDialog::enterAndButtonRequestFind() {
    dialog_->execute(QStringLiteral("abc"));
    QVERIFY(dialog_->findNextButton()->isDefault());
    QSignalSpy spy(dialog_, &FindDialog::find);
    dialog_->findEdit()->setText(QStringLiteral("word"));
    QTest::keyClick(dialog_->findEdit(), Qt::Key_Return);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(dialog_->findText(), QStringLiteral("word"));
    QTest::mouseClick(dialog_->matchCaseBox(), Qt::LeftButton);
    QTest::mouseClick(dialog_->findNextButton(), Qt::LeftButton);
    QCOMPARE(spy.count(), 2);
    QVERIFY(dialog_->matchCase());
    QVERIFY(dialog_->isVisible());
}

QTEST_MAIN(TestFindDialog)
#include "tst_finddialog.moc"
