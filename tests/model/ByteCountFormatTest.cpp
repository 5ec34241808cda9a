#include "model/ByteCountFormat.h"
#include "model/DateText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QLocale>

using namespace orvane;

TEST(ByteCountFormat, DecimalUnitsInTheFileStyle)
{
    const std::pair<std::int64_t, const char*> cases[] = {
        {0, "Zero KB"},
        {1, "1 byte"},
        {999, "999 bytes"},
        {1000, "1 KB"},
        {2048, "2 KB"},
        {1500, "2 KB"},          // half to even
        {2500, "2 KB"},
        {999'499, "999 KB"},
        {999'500, "1 MB"},       // never "1,000 KB"
        {1'000'000, "1 MB"},
        {1'500'000, "1.5 MB"},
        {1'049'999, "1 MB"},
        {1'234'567'890, "1.23 GB"},
        {1'073'741'824, "1.07 GB"},
        {5'000'000'000'000, "5 TB"},
        {INT64_MAX, "9.22 EB"},
        {-2048, "-2 KB"},
        {INT64_MIN, "-9.22 EB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(fileByteCountText(bytes), QString::fromUtf8(text)) << bytes;
}

TEST(ByteCountFormat, IgnoresTheProcessLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(fileByteCountText(1'500'000), QStringLiteral("1.5 MB"));
    EXPECT_EQ(abbreviatedDateTimeText(QDateTime(QDate(2026, 3, 1), QTime(9, 0), Qt::UTC), QTimeZone(0)),
              QStringLiteral("Mar 1, 2026 at 9:00 AM"));
    QLocale::setDefault(saved);
}

TEST(DateText, TwelveHourClockAndTimeZone)
{
    const QTimeZone utc(0);
    EXPECT_EQ(abbreviatedDateTimeText(QDateTime(QDate(2026, 12, 8), QTime(0, 5), Qt::UTC), utc),
              QStringLiteral("Dec 8, 2026 at 12:05 AM"));
    EXPECT_EQ(abbreviatedDateTimeText(QDateTime(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC), utc),
              QStringLiteral("Dec 8, 2026 at 12:00 PM"));
    EXPECT_EQ(abbreviatedDateTimeText(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59), Qt::UTC), utc),
              QStringLiteral("Dec 8, 2026 at 11:59 PM"));
    // The zone moves the day too.
    EXPECT_EQ(abbreviatedDateTimeText(QDateTime(QDate(2027, 1, 1), QTime(0, 30), Qt::UTC), QTimeZone(-5 * 3600)),
              QStringLiteral("Dec 31, 2026 at 7:30 PM"));
    EXPECT_EQ(abbreviatedDateTimeText(QDateTime(), utc), QString());
}
