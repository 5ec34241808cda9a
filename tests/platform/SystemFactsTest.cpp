#include "platform/HostArchitecture.h"
#include "platform/LinuxSystemFacts.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvane;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace {

const QByteArray kCpuInfo = "processor\t: 0\n"
                            "vendor_id\t: GenuineIntel\n"
                            "model name\t: Intel(R) Core(TM) i7-9750H CPU @ 2.60GHz\n"
                            "flags\t\t: fpu vme: de\n\n"
                            "processor\t: 1\n"
                            "model name\t: second core\n";

} // namespace

TEST(SystemFacts, ReadsProcessorModelAndSystemFromTheRootFolder)
{
    TempDir root;
    writeFile(root / "proc/cpuinfo", kCpuInfo);
    writeFile(root / "sys/class/dmi/id/product_name", "MacBookPro15,1\n");
    writeFile(root / "etc/os-release", "NAME=\"Debian GNU/Linux\"\nVERSION_ID=\"12\"\n"
                                       "PRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n");
    LinuxSystemFacts facts(root.path());
    EXPECT_EQ(facts.sysctlString("machdep.cpu.brand_string"), QString("Intel(R) Core(TM) i7-9750H CPU @ 2.60GHz"));
    EXPECT_EQ(facts.sysctlString("hw.model"), QString("MacBookPro15,1"));
    EXPECT_EQ(facts.osVersion(), QString("Debian GNU/Linux 12 (bookworm)"));
    EXPECT_EQ(facts.sysctlString("sysctl.proc_translated"), QString("0"));
    EXPECT_FALSE(facts.processTranslated());
}

TEST(SystemFacts, EachFactFallsBackWhenItsSourceIsMissingOrSpecial)
{
    TempDir empty;
    LinuxSystemFacts nothing(empty.path());
    EXPECT_EQ(nothing.sysctlString("machdep.cpu.brand_string"), QString("unknown"));
    EXPECT_EQ(nothing.sysctlString("hw.model"), QString("unknown"));
    EXPECT_EQ(nothing.osVersion(), QString("Linux"));

    // An ARM board: no "model name" in cpuinfo, no DMI (a FIFO here must not hang), a device-tree
    // model ending in NUL, os-release only in /usr/lib without PRETTY_NAME.
    TempDir board;
    writeFile(board / "proc/cpuinfo", "processor\t: 0\nBogoMIPS\t: 108.00\nCPU implementer\t: 0x41\n");
    std::filesystem::create_directories(board / "sys/class/dmi/id");
    ASSERT_EQ(::mkfifo((board / "sys/class/dmi/id/product_name").c_str(), 0600), 0);
    writeFile(board / "proc/device-tree/model", QByteArray("Raspberry Pi 4 Model B Rev 1.4\0", 31));
    writeFile(board / "usr/lib/os-release", "NAME='Fedora Linux'\nVERSION=\"39 (Workstation \\\"Edition\\\")\"\n");
    LinuxSystemFacts facts(board.path());
    EXPECT_EQ(facts.sysctlString("machdep.cpu.brand_string"), QString("unknown"));
    EXPECT_EQ(facts.sysctlString("hw.model"), QString("Raspberry Pi 4 Model B Rev 1.4"));
    EXPECT_EQ(facts.osVersion(), QString("Fedora Linux 39 (Workstation \"Edition\")"));
}

TEST(SystemFacts, SysctlStringReadsKernelSettingsAndRefusesOtherNames)
{
    TempDir root;
    writeFile(root / "proc/sys/kernel/ostype", "Linux\n");
    writeFile(root / "proc/sys/kernel/x", "reachable\n");
    writeFile(root / "proc/sys/top", "top\n");
    writeFile(root / "proc/sys/kernel/nul", QByteArray("before\0after", 12));
    writeFile(root / "proc/secret", "secret\n");
    ASSERT_EQ(::mkfifo((root / "proc/sys/kernel/fifo").c_str(), 0600), 0);
    LinuxSystemFacts facts(root.path());

    EXPECT_EQ(facts.sysctlString("kernel.ostype"), QString("Linux"));
    EXPECT_EQ(facts.sysctlString("kernel.x"), QString("reachable"));
    EXPECT_EQ(facts.sysctlString("kernel.nul"), QString("before"));
    EXPECT_EQ(facts.sysctlString("kernel.fifo"), QString("unknown"));
    EXPECT_EQ(facts.sysctlString("kernel"), QString("unknown")); // a folder
    EXPECT_EQ(facts.sysctlString("kernel.does_not_exist"), QString("unknown"));
    EXPECT_EQ(facts.sysctlString("hw.memsize"), QString::number(facts.physicalMemoryBytes()));

    // Each of these would reach an existing file if it were taken as a path.
    for (const QString name : {"kernel..x", ".top", "top.", "kernel/x", "kernel.x ", "..", ".", "", "kernel.x\n",
                               "*", "kernel.*", "k\u00e9rnel.x"}) {
        EXPECT_EQ(facts.sysctlString(name), QString("unknown")) << name.toStdString();
    }
    EXPECT_EQ(facts.sysctlString(QString("kernel.x") + QChar(0)), QString("unknown"));
    EXPECT_EQ(facts.sysctlString(".." + QString(".secret")), QString("unknown"));
}

TEST(SystemFacts, ArchitectureMemoryAndFreeSpaceOfThisHost)
{
    EXPECT_EQ(normalisedArchitecture("aarch64"), QString("arm64"));
    EXPECT_EQ(normalisedArchitecture("arm64"), QString("arm64"));
    EXPECT_EQ(normalisedArchitecture("x86_64"), QString("x86_64"));
    EXPECT_EQ(normalisedArchitecture("riscv64"), QString("riscv64"));
    EXPECT_EQ(normalisedArchitecture(""), QString("unknown"));

    TempDir dir;
    auto facts = SystemFacts::system();
    EXPECT_EQ(facts->architecture(), hostArchitecture());
    EXPECT_NE(facts->architecture(), QString("aarch64"));
    EXPECT_GT(facts->physicalMemoryBytes(), 64ull << 20);
    EXPECT_GT(facts->volumeAvailableBytes(dir.path()), 0u);
    EXPECT_EQ(facts->volumeAvailableBytes(dir / "missing" / "folder"), 0u);
    EXPECT_NE(facts->osVersion(), QString());
}
