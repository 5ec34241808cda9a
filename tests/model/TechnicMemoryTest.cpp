#include "model/TechnicMemory.h"

#include <gtest/gtest.h>

#include <set>

using namespace orvane;

TEST(TechnicMemory, MegabytesForIdsInAndOutsideTheTable)
{
    EXPECT_EQ(TechnicMemory::megabytes(0), 1024);
    EXPECT_EQ(TechnicMemory::megabytes(1), 512);
    EXPECT_EQ(TechnicMemory::megabytes(19), 2560);
    EXPECT_EQ(TechnicMemory::megabytes(20), 3584);
    EXPECT_EQ(TechnicMemory::megabytes(18), 16384);
    EXPECT_EQ(TechnicMemory::megabytes(28), 24576);
    EXPECT_EQ(TechnicMemory::megabytes(-1), 4096);
    EXPECT_EQ(TechnicMemory::megabytes(29), 4096);
    EXPECT_EQ(TechnicMemory::megabytes(-7), 4096);
    EXPECT_EQ(TechnicMemory::megabytes(INT64_MIN), 4096);
    EXPECT_EQ(TechnicMemory::megabytes(INT64_MAX), 4096);
}

TEST(TechnicMemory, SettingsIdIsTheLargestSizeNotAboveTheWantedOne)
{
    EXPECT_EQ(TechnicMemory::settingsId(3072), 5);
    EXPECT_EQ(TechnicMemory::settingsId(3071), 19);
    EXPECT_EQ(TechnicMemory::settingsId(2560), 19);
    EXPECT_EQ(TechnicMemory::settingsId(2559), 4);
    EXPECT_EQ(TechnicMemory::settingsId(4095), 20);
    EXPECT_EQ(TechnicMemory::settingsId(8192), 10);
    EXPECT_EQ(TechnicMemory::settingsId(16383), 17);
    EXPECT_EQ(TechnicMemory::settingsId(16384), 18);
    EXPECT_EQ(TechnicMemory::settingsId(16385), 18);
    EXPECT_EQ(TechnicMemory::settingsId(17407), 18);
    EXPECT_EQ(TechnicMemory::settingsId(17408), 21);
    EXPECT_EQ(TechnicMemory::settingsId(24576), 28);
    EXPECT_EQ(TechnicMemory::settingsId(100000), 28);
    EXPECT_EQ(TechnicMemory::settingsId(INT64_MAX), 28);
}

TEST(TechnicMemory, SettingsIdNeverGoesBelowTwoGigabytes)
{
    for (const std::int64_t mb : {2047LL, 1536LL, 1024LL, 768LL, 512LL, 511LL, 0LL, -100LL, (long long)INT64_MIN})
        EXPECT_EQ(TechnicMemory::settingsId(mb), 4) << mb;
}

TEST(TechnicMemory, TableHasUniqueIdsAndSizesAndEveryLargeSizeRoundTrips)
{
    std::set<std::int64_t> ids, sizes;
    for (const auto& entry : TechnicMemory::megabytesBySettingsId) {
        ids.insert(entry.settingsId);
        sizes.insert(entry.megabytes);
        EXPECT_EQ(TechnicMemory::megabytes(entry.settingsId), entry.megabytes);
        if (entry.megabytes >= 2048) {
            EXPECT_EQ(TechnicMemory::settingsId(entry.megabytes), entry.settingsId) << entry.megabytes;
        }
    }
    EXPECT_EQ(ids.size(), 29u);
    EXPECT_EQ(sizes.size(), 29u);
    EXPECT_EQ(ids.count(TechnicMemory::defaultSettingsId), 0u);
}
