#pragma once

#include <QChar>
#include <QDateTime>
#include <QLocale>
#include <QString>

// The date-and-time stamp: "dd.mm.yyyy год. Время - hh<sep>nn<sep>ss " with a 24-hour clock, the
// full year padded to at least four digits, and a trailing space. The full stops are fixed; only
// the two separators between the time fields follow the locale.
namespace StampFormat {

// The stamp for when, to the second (milliseconds take no part).
QString format(const QDateTime& when, QChar timeSeparator);

// The time separator of locale: the first character between the hour and the minute field of its
// time format, ':' when that format has none.
QChar timeSeparatorOf(const QLocale& locale);

// The time separator of the system locale as it is now.
QChar systemTimeSeparator();

} // namespace StampFormat
