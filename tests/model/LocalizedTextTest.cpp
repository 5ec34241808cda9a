#include "model/BackupManifest.h"
#include "model/ByteCountFormat.h"
#include "model/DateText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QTextBoundaryFinder>

namespace orvane {
namespace {

QLocale localeNamed(const char* name) { return QLocale(QString::fromLatin1(name)); }

TEST(LocalizedText, ByteCountsUseTheLocalesDigitsSeparatorsAndUnitsWithTheSameRounding)
{
    struct Case {
        const char* locale;
        std::int64_t bytes;
        const char16_t* text;
    };
    const Case cases[] = {
        {"en_US", 0, u"Zero\u00a0KB"},
        {"en_US", 1, u"1\u00a0byte"},
        {"en_US", 2'400'000, u"2.4\u00a0MB"},
        {"en_US", 1'234'567'890, u"1.23\u00a0GB"},
        {"C", 2'400'000, u"2.4\u00a0MB"},
        {"en_GB", 999'500, u"1\u00a0MB"},
        {"de_DE", 2'400'000, u"2,4\u00a0MB"},
        {"de_DE", 2048, u"2\u00a0kB"},
        {"de_DE", 999, u"999\u00a0Bytes"},
        {"de_DE", 0, u"0\u00a0kB"},
        {"de_DE", 1'234'567'890, u"1,23\u00a0GB"},
        {"de_DE", -2048, u"-2\u00a0kB"},
        {"fr_FR", 2'400'000, u"2,4\u00a0Mo"},
        {"fr_FR", 1'500, u"2\u00a0ko"}, // half to even, as in English
        {"fr_FR", 999'000'000'000'000, u"999\u00a0To"},
        {"fr_FR", 5'000'000'000'000, u"5\u00a0To"},
        {"ar_EG", 2'400'000, u"\u0662\u066b\u0664\u00a0\u0645.\u0628"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + " " + std::to_string(c.bytes));
        EXPECT_EQ(localizedFileByteCountText(c.bytes, localeNamed(c.locale)), QString::fromUtf16(c.text));
    }
    // What files and reports hold stays the same whatever the user's locale.
    EXPECT_EQ(fileByteCountText(2'400'000), QStringLiteral("2.4 MB"));
}

TEST(LocalizedText, NoSizeInAnyLocaleOffersALineBreakInItsNumberOrBeforeItsUnit)
{
    const char* locales[] = {"en_US", "C", "de_DE", "fr_FR", "fr_CA", "ru_RU", "ja_JP", "ar_EG", "hi_IN"};
    const std::int64_t sizes[] = {0, 1, 999, 1000, 123'456, 2'400'000, 1'234'567'890, 987'654'321'012'345, -2048, INT64_MAX};
    for (const char* name : locales) {
        for (const std::int64_t bytes : sizes) {
            const QString size = localizedFileByteCountText(bytes, localeNamed(name));
            SCOPED_TRACE(std::string(name) + " " + size.toStdString());
            // As the prompt and the backup row place it: after an opening parenthesis or a separator.
            for (const QString& before : {QStringLiteral("backup from today ("), QStringLiteral("2 files · ")}) {
                const QString text = before + size + QStringLiteral(")? Other");
                QTextBoundaryFinder lines(QTextBoundaryFinder::Line, text);
                lines.setPosition(before.size());
                const qsizetype at = lines.toNextBoundary();
                // Japanese may break inside the unit's word, but never before the unit.
                EXPECT_GT(at, before.size() + size.indexOf(QChar(0x00A0)) + 1) << "a line may break at " << at;
            }
        }
    }
}

TEST(LocalizedText, DatesTakeTheLocalesAbbreviatedDateAndShortTimeInTheGivenZone)
{
    struct Case {
        const char* locale;
        QTimeZone zone;
        const char16_t* text;
    };
    const QDateTime date(QDate(2026, 12, 10), QTime(17, 6, 59), Qt::UTC);
    const Case cases[] = {
        {"en_US", QTimeZone::utc(), u"Dec 10, 2026 at 5:06 PM"},
        {"C", QTimeZone::utc(), u"Dec 10, 2026 at 5:06 PM"},
        {"en_US", QTimeZone(-12 * 3600), u"Dec 10, 2026 at 5:06 AM"},
        {"en_GB", QTimeZone::utc(), u"10 Dec 2026 at 17:06"},
        {"de_DE", QTimeZone::utc(), u"10. Dez. 2026 um 17:06"},
        {"de_DE", QTimeZone(3600), u"10. Dez. 2026 um 18:06"},
        {"fr_FR", QTimeZone::utc(), u"10 déc. 2026 à 17:06"},
        {"fr_FR", QTimeZone(8 * 3600), u"11 déc. 2026 à 01:06"},
        {"pt_BR", QTimeZone::utc(), u"10 de dez. de 2026, 17:06"},
        {"ja_JP", QTimeZone::utc(), u"2026年12月10日, 17:06"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale);
        EXPECT_EQ(localizedAbbreviatedDateTimeText(date, c.zone, localeNamed(c.locale)), QString::fromUtf16(c.text));
    }
    EXPECT_EQ(localizedAbbreviatedDateTimeText(QDateTime(), QTimeZone::utc(), localeNamed("de_DE")), QString());
    // The pinned form for reports is the en_US one whatever the locale.
    EXPECT_EQ(abbreviatedDateTimeText(date, QTimeZone::utc()), QStringLiteral("Dec 10, 2026 at 5:06 PM"));
}

TEST(LocalizedText, TheWorldRestorePromptFollowsTheLocaleAndKeepsItsSizeWhole)
{
    BackupManifest m;
    m.createdAt = QDateTime(QDate(2026, 12, 10), QTime(17, 6), Qt::UTC);
    m.files = {{"saves/W/level.dat", "/i/saves/W/level.dat", QString(64, u'c'), 2'000'000},
               {"saves/W/region/r.0.0.mca", "/i/saves/W/region/r.0.0.mca", QString(64, u'd'), 400'000}};
    const QString tail = QStringLiteral("? Other saves files added later are left unchanged. Overlay settings are not changed.");
    EXPECT_EQ(m.savesRestorePrompt(QTimeZone::utc(), localeNamed("de_DE")),
              QStringLiteral("Restore the 2 files recorded in the verified world backup from 10. Dez. 2026 um 17:06 "
                             "(2,4\u00a0MB)") + tail);
    EXPECT_EQ(m.savesRestorePrompt(QTimeZone::utc(), localeNamed("fr_FR")),
              QStringLiteral("Restore the 2 files recorded in the verified world backup from 10 déc. 2026 à 17:06 "
                             "(2,4\u00a0Mo)") + tail);
}

} // namespace
} // namespace orvane
