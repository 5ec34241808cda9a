#pragma once

#include <QDateTime>
#include <QString>
#include <QTimeZone>

namespace orvane {

// An abbreviated date with a shortened time, in the en_US style whatever the process locale:
// "Dec 8, 2026 at 7:21 AM", in the given time zone.
QString abbreviatedDateTimeText(const QDateTime& date, const QTimeZone& zone);

} // namespace orvane
