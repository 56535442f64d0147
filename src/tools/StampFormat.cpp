#include "StampFormat.h"

#include <algorithm>
#include <cstdlib>

namespace StampFormat {

namespace {

const QChar kDefaultSeparator = QLatin1Char(':');

QString twoDigits(int value) {
    return QString::number(value).rightJustified(2, QLatin1Char('0'));
}

bool isHourLetter(QChar c) {
    return c == QLatin1Char('h') || c == QLatin1Char('H');
}

} // namespace

QString format(const QDateTime& when, QChar timeSeparator) {
    const QDate date = when.date();
    const QTime time = when.time();
    QString year = QString::number(std::abs(date.year())).rightJustified(4, QLatin1Char('0'));
    if (date.year() < 0) {
        year.prepend(QLatin1Char('-'));
    }
    QString out;
    out.reserve(40);
    out += twoDigits(date.day()) + QLatin1Char('.') + twoDigits(date.month()) + QLatin1Char('.') +
           year + QStringLiteral(" год. Время - ") + twoDigits(time.hour()) + timeSeparator +
           twoDigits(time.minute()) + timeSeparator + twoDigits(time.second()) + QLatin1Char(' ');
    return out;
}

QChar timeSeparatorOf(const QLocale& locale) {
    // The short time format ("HH:mm", "H.mm", "AP h:mm", "HH 'h' mm") puts the separator right
    // after the run of hour letters; a quote, a letter or a space there means it has none.
    const QString pattern = locale.timeFormat(QLocale::ShortFormat);
    const qsizetype hour =
        std::distance(pattern.begin(), std::find_if(pattern.begin(), pattern.end(), isHourLetter));
    qsizetype i = hour;
    while (i < pattern.size() && isHourLetter(pattern[i])) {
        ++i;
    }
    if (i == pattern.size()) {
        return kDefaultSeparator;
    }
    const QChar c = pattern[i];
    const bool none = c == QLatin1Char('\'') || c.isLetter() || c.isSpace();
    return none ? kDefaultSeparator : c;
}

QChar systemTimeSeparator() {
    return timeSeparatorOf(QLocale::system());
}

} // namespace StampFormat
