#include "model/DateText.h"

#include <QRegularExpression>

#include <array>

namespace orvane {

namespace {

QDateTime inZone(const QDateTime& date, const QTimeZone& zone)
{
    return zone.isValid() ? date.toTimeZone(zone) : date.toUTC();
}

// The locale's long date format without the weekday, with abbreviated month names: "dddd, d. MMMM
// yyyy" becomes "d. MMM yyyy". Quoted literals ('de') are left as they are.
QString abbreviatedDateFormat(const QLocale& locale)
{
    static const QRegularExpression weekday(
        QStringLiteral(R"(^dddd[\s,\x{060C}]*|[\s,\x{060C}]*dddd$|dddd)"));
    QString format = locale.dateFormat(QLocale::LongFormat);
    format.remove(weekday);
    format.replace(QStringLiteral("MMMM"), QStringLiteral("MMM"));
    return format.trimmed();
}

// How a language joins a date and its time, where it says it with a word.
QString dateTimeJoint(QLocale::Language language)
{
    switch (language) {
    case QLocale::English:
        return QStringLiteral(" at ");
    case QLocale::German:
        return QStringLiteral(" um ");
    case QLocale::French:
        return QStringLiteral(" à ");
    default:
        return QStringLiteral(", ");
    }
}

} // namespace

QString abbreviatedDateTimeText(const QDateTime& date, const QTimeZone& zone)
{
    static constexpr std::array<const char*, 12> months{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (!date.isValid())
        return QString();
    const QDateTime local = inZone(date, zone);
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

QString localizedAbbreviatedDateTimeText(const QDateTime& date, const QTimeZone& zone, const QLocale& locale)
{
    if (!date.isValid())
        return QString();
    const QLocale used = locale.language() == QLocale::C ? QLocale(QLocale::English, QLocale::UnitedStates) : locale;
    const QDateTime local = inZone(date, zone);
    return used.toString(local.date(), abbreviatedDateFormat(used)) + dateTimeJoint(used.language())
        + used.toString(local.time(), QLocale::ShortFormat);
}

} // namespace orvane
