#include "stage2/MountTable.h"

#include "support/QtPrinters.h"
#include "PolicyRefusal.h"

#include <gtest/gtest.h>

using namespace orvane;
using orvane::test::policyRefusal;

namespace {

TEST(MountTable, LocatesAPathInTheFileSystemItsMountShows)
{
    const MountTable table = MountTable::parse("28 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
                                               "46 28 254:0 /srv/real\\040dir /mnt/view rw - ext4 /dev/vda rw\n"
                                               "not a mount line\n"
                                               "47 28 0:50 / /mnt/view rw - tmpfs tmpfs rw\n"
                                               "48 28 0:51 / /data rw - tmpfs tmpfs rw\n"
                                               "49 28 0:52 net:[4026] /run/netns rw - nsfs nsfs rw\n");
    struct Case {
        const char* path;
        std::optional<std::uint64_t> mountID;
        FileSystemLocation location;
    };
    const Case cases[] = {
        {"/home/x", std::nullopt, {"254:0", "/home/x"}},
        {"/mnt/view/a", std::nullopt, {"0:50", "/a"}},    // the later mount covers the earlier
        {"/mnt/view/a", 46, {"254:0", "/srv/real dir/a"}}, // a bind mount's folder, its escape read
        {"/mnt/viewer", std::nullopt, {"254:0", "/mnt/viewer"}},
        {"/data", 48, {"0:51", "/"}},
        {"/data", 999, {"0:51", "/"}}, // an id the table lacks: the deepest mount point
        {"/run/netns/x", std::nullopt, {"254:0", "/run/netns/x"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(table.locate(std::string(c.path), c.mountID), c.location);
    }
    EXPECT_EQ(policyRefusal([] { MountTable::parse("garbage\n").locate(std::string("/x"), std::nullopt); }),
              QStringLiteral("Install root could not be inspected."));
    EXPECT_FALSE(MountTable::read().isEmpty());
}

} // namespace
