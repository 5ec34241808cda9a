#include "model/FileDigest.h"
#include "records/FileEvidence.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvane;
using orvane::test::TempDir;
using orvane::test::writeFile;

TEST(FileEvidence, ASteadyMeasurementReadsOnlyARegularFileAndStampsWhatItRead)
{
    TempDir dir;
    writeFile(dir / "world", QByteArray(300000, 'w'));
    writeFile(dir / "empty", QByteArray());
    std::filesystem::create_symlink(dir / "world", dir / "link");
    std::filesystem::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);

    const struct Case {
        const char* name;
        bool measured;
    } cases[] = {
        {"world", true}, {"empty", true}, {"link", false}, {"folder", false}, {"fifo", false}, {"missing", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = dir / c.name;
        const auto measured = measureSteadily(path);
        ASSERT_EQ(measured.has_value(), c.measured);
        if (!measured)
            continue;
        EXPECT_EQ(measured->bytes.sha256, sha256Hex(path));
        EXPECT_EQ(measured->bytes.byteCount, std::filesystem::file_size(path));
        // The descriptor's stamp is the path's: the restore compares the two before a swap.
        EXPECT_EQ(measured->stamp, stampIfPossible(path));
    }
}
