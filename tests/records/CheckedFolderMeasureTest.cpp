#include "platform/Sha256.h"
#include "records/CheckedFolder.h"

#include "support/QtPrinters.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace orvane;
using orvane::test::TempDir;
using orvane::test::writeFile;

// The digest covers every byte of the file, whether it fills no read, part of one or more than one.
TEST(CheckedFolderMeasure, ASteadyMeasurementHashesEveryByteOfTheFileItStamped)
{
    struct Case {
        const char* name;
        qsizetype size;
    };
    const Case cases[] = {
        {"empty", 0}, {"one byte", 1}, {"a small world file", 4096}, {"one read exactly", 1 << 20},
        {"just over one read", (1 << 20) + 1}, {"several reads", 3 * (1 << 20) + 17},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QByteArray bytes(c.size, Qt::Uninitialized);
        for (qsizetype i = 0; i < c.size; ++i)
            bytes[i] = char((i * 131 + 7) & 0xff);
        writeFile(dir / "file", bytes);
        const int folder = ::open(dir.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ASSERT_GE(folder, 0);
        const auto measured = measureSteadilyIn(folder, "file", dir / "file");
        ::close(folder);
        ASSERT_TRUE(measured.has_value());
        EXPECT_EQ(measured->bytes.byteCount, std::uint64_t(c.size));
        EXPECT_EQ(measured->bytes.sha256, QString::fromLatin1(Sha256::digest(bytes).toHex()));
        EXPECT_EQ(measured->stamp.size, std::uint64_t(c.size));
    }
}
