#include "BusyCursor.h"

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <memory>

namespace {

// The shape of the cursor the application forces on every window; -1 when none.
int forced() {
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor != nullptr ? cursor->shape() : -1;
}

} // namespace

class TestBusyCursor : public QObject {
    Q_OBJECT
private slots:
    void busyWhileAliveExceptOverDialogs();
};

void TestBusyCursor::busyWhileAliveExceptOverDialogs() {
    QApplication::setOverrideCursor(Qt::IBeamCursor); // someone else's, left as it is
    auto command = std::make_unique<BusyCursor>();
    QCOMPARE(forced(), int(Qt::WaitCursor));
    {
        const BusyCursor inner; // a command run by a command
        QCOMPARE(forced(), int(Qt::WaitCursor));
    }
    QCOMPARE(forced(), int(Qt::WaitCursor));
    // A dialog the command shows is used with the normal cursor.
    QDialog question;
    question.show();
    QCOMPARE(forced(), int(Qt::IBeamCursor));
    question.hide();
    QCOMPARE(forced(), int(Qt::WaitCursor));
    command.reset();
    QCOMPARE(forced(), int(Qt::IBeamCursor));

    // A dialog the command leaves shown (a modeless one) keeps the normal cursor after it.
    command = std::make_unique<BusyCursor>();
    QDialog modeless;
    modeless.show();
    command.reset();
    QCOMPARE(forced(), int(Qt::IBeamCursor));
    modeless.hide();
    QCOMPARE(forced(), int(Qt::IBeamCursor));
    QApplication::restoreOverrideCursor();
    QCOMPARE(forced(), -1);
}

QTEST_MAIN(TestBusyCursor)
#include "tst_busycursor.moc"
