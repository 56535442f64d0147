#include "StampFormat.h"

#include <QTest>

class TestStampFormat : public QObject {
    Q_OBJECT
private slots:
    void format_data();
    void format();
    void timeSeparatorOf_data();
    void timeSeparatorOf();
};

void TestStampFormat::format_data() {
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QChar>("separator");
    QTest::addColumn<QString>("stamp");
    const QChar colon = QLatin1Char(':');
    QTest::newRow("evening") << QDateTime(QDate(2026, 12, 6), QTime(22, 14, 27)) << colon
                             << QStringLiteral("06.12.2026 год. Время - 22:14:27 ");
    QTest::newRow("leading zeros") << QDateTime(QDate(2027, 2, 1), QTime(9, 5, 3)) << colon
                                   << QStringLiteral("01.02.2027 год. Время - 09:05:03 ");
    QTest::newRow("midnight, 24-hour clock")
        << QDateTime(QDate(2026, 1, 31), QTime(0, 0, 0)) << colon
        << QStringLiteral("31.01.2026 год. Время - 00:00:00 ");
    QTest::newRow("milliseconds take no part")
        << QDateTime(QDate(2026, 12, 6), QTime(23, 59, 59, 999)) << colon
        << QStringLiteral("06.12.2026 год. Время - 23:59:59 ");
    QTest::newRow("locale separator only between time fields")
        << QDateTime(QDate(2026, 12, 6), QTime(13, 1, 2)) << QChar(QLatin1Char('.'))
        << QStringLiteral("06.12.2026 год. Время - 13.01.02 ");
    QTest::newRow("short year padded to four digits")
        << QDateTime(QDate(987, 7, 4), QTime(12, 0, 0)) << colon
        << QStringLiteral("04.07.0987 год. Время - 12:00:00 ");
}

void TestStampFormat::format() {
    QFETCH(QDateTime, when);
    QFETCH(QChar, separator);
    QFETCH(QString, stamp);
    QCOMPARE(StampFormat::format(when, separator), stamp);
}

void TestStampFormat::timeSeparatorOf_data() {
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QChar>("separator");
    QTest::newRow("C") << QStringLiteral("C") << QChar(QLatin1Char(':'));
    QTest::newRow("Russian") << QStringLiteral("ru_RU") << QChar(QLatin1Char(':'));
    QTest::newRow("12-hour clock, marker first")
        << QStringLiteral("ko_KR") << QChar(QLatin1Char(':'));
    QTest::newRow("full stop") << QStringLiteral("fi_FI") << QChar(QLatin1Char('.'));
    QTest::newRow("quoted letters: none, so colon")
        << QStringLiteral("fr_CA") << QChar(QLatin1Char(':'));
}

void TestStampFormat::timeSeparatorOf() {
    QFETCH(QString, locale);
    QFETCH(QChar, separator);
    QCOMPARE(StampFormat::timeSeparatorOf(QLocale(locale)), separator);
}

QTEST_APPLESS_MAIN(TestStampFormat)
#include "tst_stampformat.moc"
