#include "ToolButton.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEnterEvent>
#include <QTest>
#include <QTimer>
#include <QToolTip>
#include <algorithm>

class TestToolButton : public QObject {
    Q_OBJECT
private slots:
    void hintShowsAfterDelayForItsDuration();
};

void TestToolButton::hintShowsAfterDelayForItsDuration() {
    ToolButton button;
    button.setToolTip(QStringLiteral("Открыть"));
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), button.mapToGlobal(QPointF(5, 5)));
    QCoreApplication::sendEvent(&button, &enter);
    // The hint waits for its delay on the button's timer: read the timer rather than the clock,
    // which a busy machine slows.
    const auto* delay = button.findChild<QTimer*>();
    QVERIFY(delay != nullptr);
    QVERIFY(delay->isActive());
    QVERIFY(delay->isSingleShot());
    QCOMPARE(delay->interval(), ToolButton::kHintDelayMs);
    QVERIFY(!QToolTip::isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 10000);
    QCOMPARE(QToolTip::text(), QStringLiteral("Открыть"));
    // The hint hides by a timer of its duration on the hint window: read it rather than wait.
    const QWidgetList windows = QApplication::topLevelWidgets();
    const auto tip = std::find_if(windows.begin(), windows.end(), [](const QWidget* w) {
        return w->windowType() == Qt::ToolTip && w->isVisible();
    });
    QVERIFY(tip != windows.end());
    const auto timers = QAbstractEventDispatcher::instance()->registeredTimers(*tip);
    QVERIFY(std::any_of(timers.begin(), timers.end(), [](const auto& timer) {
        return timer.interval == ToolButton::kHintDurationMs;
    }));
    QToolTip::hideText();
    QTRY_VERIFY(!QToolTip::isVisible());
}

QTEST_MAIN(TestToolButton)
#include "tst_toolbutton.moc"
