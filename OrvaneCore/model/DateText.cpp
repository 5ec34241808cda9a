#include "model/DateText.h"

#include <array>

namespace orvane {

QString abbreviatedDateTimeText(const QDateTime& date, const QTimeZone& zone)
{
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!date.isValid())
        return QString();
    const QDateTime local = zone.isValid() ? date.toTimeZone(zone) : date.toUTC();
    const QDate day = local.date();
    const QTime time = local.time();
    const int hour12 = time.hour() % 12 == 0 ? 12 : time.hour() % 12;
    return QStringLiteral("%1 %2, %3 at %4:%5 %6")
        .arg(QLatin1String(months[std::size_t(day.month() - 1)]))
        .arg(day.day())
        .arg(day.year())
        .arg(hour12)
        .arg(time.minute(), 2, 10, QLatin1Char('0'))
        .arg(time.hour() < 12 ? QLatin1String("AM") : QLatin1String("PM"));
}

} // namespace orvane
