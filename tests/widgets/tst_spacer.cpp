#include "Spacer.h"

#include <QTest>

class TestSpacer : public QObject {
    Q_OBJECT
private slots:
    void sizeAndGroove();
};

void TestSpacer::sizeAndGroove() {
    const Spacer grooved(true);
    const Spacer plain(false);
    QCOMPARE(grooved.size(), QSize(8, 25));
    QVERIFY(grooved.isGrooved());
    QVERIFY(!plain.isGrooved());
}

QTEST_MAIN(TestSpacer)
#include "tst_spacer.moc"
