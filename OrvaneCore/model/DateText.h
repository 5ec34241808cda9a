#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QTimeZone>

namespace orvane {

// An abbreviated date with a shortened time, in the en_US style whatever the process locale:
// "Dec 8, 2026 at 7:21 AM", in the given time zone.
QString abbreviatedDateTimeText(const QDateTime& date, const QTimeZone& zone);

// The same for the screen, in `locale` (the user's): the locale's long date without its weekday and
// with the abbreviated month name, then the locale's short time, joined as the language joins a date
// and its time ("10. Dez. 2026 um 17:06", "10 déc. 2026 à 17:06"; ", " where the joining word is not
// known). The C locale reads as en_US.
QString localizedAbbreviatedDateTimeText(const QDateTime& date, const QTimeZone& zone, const QLocale& locale);

} // namespace orvane
