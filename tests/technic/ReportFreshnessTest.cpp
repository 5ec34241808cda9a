#include "technic/ReportFreshness.h"

#include "support/LogFiles.h"
#include "support/TempDir.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <functional>

using namespace orvane;
using namespace orvane::test;

TEST(ReportFreshness, AReportIsNewByItsPresenceAndContentNeverByItsDate)
{
    constexpr std::uint64_t edge = 64;
    const QByteArray report = "---- Minecraft Crash Report ----\n// Ouch.\nTime: 12/8/26 9:14 PM\n";
    QByteArray large; // longer than both edges: its middle is never read
    while (large.size() < 4 * qsizetype(edge))
        large += report;
    const QDateTime start = QDateTime::currentDateTimeUtc();
    struct Case {
        const char* name;
        QByteArray before; // empty: no file at the start
        int datedBefore;   // seconds from the start
        std::function<void(const std::filesystem::path&)> during;
        bool isNew;
    } cases[] = {
        {"untouched", report, -86400, [](const auto&) {}, false},
        {"dated now, same bytes", report, -86400, [&](const auto& p) { setModified(p, start.addSecs(30)); }, false},
        {"saved anew unchanged", report, -86400,
         [&](const auto& p) {
             replaceFile(p, report);
             setModified(p, start.addSecs(30));
         },
         false},
        {"same size, other bytes", report, -86400,
         [&](const auto& p) {
             QByteArray other = report;
             other.replace("Ouch", "Oops");
             replaceFile(p, other);
         },
         true},
        {"grown", report, -86400, [&](const auto& p) { appendFile(p, "more\n"); }, true},
        {"a large report's tail rewritten", large, -86400,
         [&](const auto& p) {
             QByteArray other = large;
             other[other.size() - 3] = 'X';
             replaceFile(p, other);
         },
         true},
        {"written during the watch, dated an hour back", {}, 0,
         [&](const auto& p) {
             writeFile(p, report);
             setModified(p, start.addSecs(-3600));
         },
         true},
        {"written half a second before the start", report, 0, [](const auto&) {}, true},
        // A volume whose clock runs ahead: a date after the start says nothing.
        {"dated tomorrow before the start", report, 86400, [](const auto&) {}, false},
        {"removed", report, -86400, [](const auto& p) { std::filesystem::remove(p); }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir folder;
        const auto path = folder / "crash-2026-12-08_21.14.03-client.txt";
        if (!c.before.isEmpty()) {
            writeFile(path, c.before);
            setModified(path, c.datedBefore == 0 ? start.addMSecs(-500) : start.addSecs(c.datedBefore));
        }
        ReportFreshness freshness(folder.path(), nullptr, start.toMSecsSinceEpoch(), edge);
        if (!c.before.isEmpty() && c.datedBefore != 0) {
            EXPECT_FALSE(freshness.isNew(path)) << "before any change";
        }
        c.during(path);
        EXPECT_EQ(freshness.isNew(path), c.isNew);
        // Once new, new for good: restoring the old bytes does not make it old again.
        if (c.isNew && !c.before.isEmpty()) {
            replaceFile(path, c.before);
            EXPECT_TRUE(freshness.isNew(path));
        }
    }

    // Only the names the filter accepts are taken at the start.
    TempDir instance;
    writeFile(instance / "hs_err_pid1.log", report);
    writeFile(instance / "options.txt", report);
    setModified(instance / "hs_err_pid1.log", start.addSecs(-60));
    setModified(instance / "options.txt", start.addSecs(-60));
    const auto fatalLogs = [](const std::filesystem::path& p) { return p.filename().native().starts_with("hs_err"); };
    ReportFreshness filtered(instance.path(), fatalLogs, start.toMSecsSinceEpoch(), edge);
    EXPECT_FALSE(filtered.isNew(instance / "hs_err_pid1.log"));
    EXPECT_TRUE(filtered.isNew(instance / "options.txt"));
}
