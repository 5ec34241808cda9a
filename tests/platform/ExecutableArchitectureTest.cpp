#include "platform/ExecutableArchitecture.h"
#include "support/ExecutableSamples.h"
#include "support/FixtureHome.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

const std::optional<QString> arm64 = QStringLiteral("arm64");
const std::optional<QString> x86_64 = QStringLiteral("x86_64");
const std::optional<QString> universal = QStringLiteral("universal");

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

} // namespace

TEST(HeaderArchitecture, MachOInEitherByteOrderAndBothCpuTypeForms)
{
    EXPECT_EQ(headerArchitecture(machOHeader(cpuTypeArm64)), arm64);
    EXPECT_EQ(headerArchitecture(machOHeader(cpuTypeX86_64)), x86_64);
    EXPECT_EQ(headerArchitecture(machOHeader(cpuTypeArm64, true)), arm64);
    EXPECT_EQ(headerArchitecture(machOHeader(cpuTypeX86_64, true)), x86_64);
    // The 32-bit big-endian magic reads its CPU type big-endian too.
    EXPECT_EQ(headerArchitecture(bytes({0xFE, 0xED, 0xFA, 0xCE, 0, 0, 0, 7})), x86_64);
    // The bare CPU family numbers count as well.
    EXPECT_EQ(headerArchitecture(machOHeader(12)), arm64);
    EXPECT_EQ(headerArchitecture(machOHeader(7)), x86_64);
    EXPECT_EQ(headerArchitecture(machOHeader(cpuTypePowerPC)), std::nullopt);
    // Any other first word is read as a native header: the magic is not checked further.
    EXPECT_EQ(headerArchitecture(bytes({'a', 'b', 'c', 'd', 0x0C, 0, 0, 1})), arm64);
}

TEST(HeaderArchitecture, EveryFatMagicIsUniversal)
{
    EXPECT_EQ(headerArchitecture(fatFile({cpuTypeArm64}, true, false)), universal);
    EXPECT_EQ(headerArchitecture(fatFile({cpuTypeArm64}, false, false)), universal);
    EXPECT_EQ(headerArchitecture(fatFile({cpuTypeArm64}, true, true)), universal);
    EXPECT_EQ(headerArchitecture(fatFile({cpuTypeArm64}, false, true)), universal);
}

TEST(HeaderArchitecture, ElfMachineInTheByteOrderItNames)
{
    EXPECT_EQ(headerArchitecture(elfHeader(elfMachineAarch64)), arm64);
    EXPECT_EQ(headerArchitecture(elfHeader(elfMachineX86_64)), x86_64);
    EXPECT_EQ(headerArchitecture(elfHeader(elfMachineAarch64, false)), arm64);
    EXPECT_EQ(headerArchitecture(elfHeader(elfMachineRiscV)), std::nullopt);
    // A header cut before e_machine, or with an unknown data encoding, has no answer.
    EXPECT_EQ(headerArchitecture(elfHeader(elfMachineAarch64).left(19)), std::nullopt);
    QByteArray badEncoding = elfHeader(elfMachineAarch64);
    badEncoding[5] = 3;
    EXPECT_EQ(headerArchitecture(badEncoding), std::nullopt);
}

TEST(HeaderArchitecture, ShortHeadersHaveNoAnswer)
{
    EXPECT_EQ(headerArchitecture(QByteArray()), std::nullopt);
    EXPECT_EQ(headerArchitecture(machOHeader(cpuTypeArm64).left(7)), std::nullopt);
    EXPECT_EQ(headerArchitecture(bytes({0xCA, 0xFE, 0xBA, 0xBE})), std::nullopt);
    EXPECT_EQ(headerArchitecture(machOHeader(cpuTypeArm64).left(8)), arm64);
}

TEST(FatTable, FindsAnArm64SliceInEveryLayout)
{
    for (bool bigEndian : {true, false}) {
        for (bool table64 : {false, true}) {
            SCOPED_TRACE(testing::Message() << "bigEndian " << bigEndian << " table64 " << table64);
            EXPECT_TRUE(fatTableListsArm64(fatFile({cpuTypeX86_64, cpuTypeArm64}, bigEndian, table64)));
            EXPECT_TRUE(fatTableListsArm64(fatFile({12}, bigEndian, table64)));
            EXPECT_FALSE(fatTableListsArm64(fatFile({cpuTypeX86_64}, bigEndian, table64)));
            EXPECT_FALSE(fatTableListsArm64(fatFile({cpuTypeX86_64, cpuTypePowerPC}, bigEndian, table64)));
        }
    }
}

TEST(FatTable, RefusesBadCountsAndTruncatedTables)
{
    EXPECT_FALSE(fatTableListsArm64(fatFile({cpuTypeArm64}, true, false, 0u)));
    EXPECT_FALSE(fatTableListsArm64(fatFile({cpuTypeArm64}, true, false, 257u)));
    EXPECT_FALSE(fatTableListsArm64(fatFile({cpuTypeArm64}, true, false, 300u)));
    EXPECT_FALSE(fatTableListsArm64(fatFile({cpuTypeArm64}, false, true, 0xFFFFFFFFu)));
    // 256 is still accepted: the walk stops at the end of the file without reading past it.
    EXPECT_TRUE(fatTableListsArm64(fatFile({cpuTypeX86_64, cpuTypeArm64}, true, false, 256u)));
    EXPECT_FALSE(fatTableListsArm64(fatFile({cpuTypeX86_64}, true, false, 256u)));

    // A table claiming a second entry whose CPU type lies past the end.
    const QByteArray twoEntries = fatFile({cpuTypeX86_64, cpuTypeArm64}, true, false);
    EXPECT_FALSE(fatTableListsArm64(twoEntries.left(8 + 20 + 3)));
    EXPECT_TRUE(fatTableListsArm64(twoEntries.left(8 + 20 + 4)));
    EXPECT_FALSE(fatTableListsArm64(twoEntries.left(7)));
    EXPECT_FALSE(fatTableListsArm64(machOHeader(cpuTypeArm64)));
}

TEST(ExecutableFile, ReadsRealFilesAndAnswersNothingForUnreadableOnes)
{
    TempDir dir;
    writeFile(dir / "thin", machOHeader(cpuTypeArm64));
    writeFile(dir / "intel", machOHeader(cpuTypeX86_64));
    writeFile(dir / "fat", fatFile({cpuTypeX86_64, cpuTypeArm64}, true, true));
    writeFile(dir / "fatIntel", fatFile({cpuTypeX86_64}));
    writeFile(dir / "elf", elfHeader(elfMachineAarch64));
    writeFile(dir / "short", QByteArray("\xCF\xFA\xED", 3));
    writeFile(dir / "empty", QByteArray());
    // A fat file cut inside its table: readable, simply not arm64-capable.
    writeFile(dir / "cut", fatFile({cpuTypeX86_64, cpuTypeArm64}).left(30));

    EXPECT_EQ(executableArchitecture(dir / "thin"), arm64);
    EXPECT_TRUE(executableRunsOnArm64(dir / "thin"));
    EXPECT_EQ(executableArchitecture(dir / "intel"), x86_64);
    EXPECT_FALSE(executableRunsOnArm64(dir / "intel"));
    EXPECT_EQ(executableArchitecture(dir / "fat"), universal);
    EXPECT_TRUE(executableRunsOnArm64(dir / "fat"));
    EXPECT_FALSE(executableRunsOnArm64(dir / "fatIntel"));
    EXPECT_EQ(executableArchitecture(dir / "elf"), arm64);
    EXPECT_TRUE(executableRunsOnArm64(dir / "elf"));
    EXPECT_EQ(executableArchitecture(dir / "short"), std::nullopt);
    EXPECT_EQ(executableArchitecture(dir / "empty"), std::nullopt);
    EXPECT_EQ(executableArchitecture(dir / "cut"), universal);
    EXPECT_FALSE(executableRunsOnArm64(dir / "cut"));
    EXPECT_EQ(executableArchitecture(dir / "missing"), std::nullopt);
    EXPECT_FALSE(executableRunsOnArm64(dir / "missing"));
    EXPECT_EQ(executableArchitecture(dir.path()), std::nullopt);
}

TEST(ExecutableFile, FifoAndDeviceNeverHang)
{
    TempDir dir;
    FixtureHome::makeFifo(dir / "fifo");
    EXPECT_EQ(executableArchitecture(dir / "fifo"), std::nullopt);
    EXPECT_FALSE(executableRunsOnArm64(dir / "fifo"));
    EXPECT_EQ(executableArchitecture("/dev/zero"), std::nullopt);
    EXPECT_FALSE(executableRunsOnArm64("/dev/zero"));
}
