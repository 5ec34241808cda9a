#include "session/OverlayFileReplacement.h"

#include "json/DescribedError.h"
#include "session/OverlayFiles.h"
#include "support/FaultyFileOperations.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <system_error>

using namespace orvane;
using namespace orvane::test;
using Op = FaultyFileOperations::Op;

namespace {

// Three files as a restore meets them: one rewritten, one that goes, one made again.
struct ThreeFiles {
    TempDir dir;
    std::filesystem::path rewritten = dir / "options.txt", removed = dir / "bin" / "runData",
                          created = dir / "settings.json";

    ThreeFiles()
    {
        writeFile(rewritten, "ao:1\n");
        writeFile(removed, "{\"memory\": \"4096\"}");
        chmodFile(rewritten, 0600);
    }

    std::vector<OverlayFileReplacement::Change> changes() const
    {
        return {{rewritten, false, "ao:2\n", 0600}, {removed, true, {}, 0644}, {created, false, "{}", 0644}};
    }
};

} // namespace

TEST(OverlayFileReplacement, ReplacesEveryFileOrLeavesEveryFileAsItWas)
{
    struct Case {
        const char* name;
        Op op;
        int nth;
        bool fails;
    };
    const Case cases[] = {
        {"all three", Op::writeAtomically, 99, false},
        {"the disk full while the new contents are written beside", Op::writeAtomically, 2, true},
        {"the first exchange fails", Op::swap, 1, true},
        {"the removal fails", Op::moveNoReplace, 1, true},
        {"the new file cannot be moved into place", Op::moveNoReplace, 2, true},
        {"the folders cannot be synced", Op::syncDirectory, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ThreeFiles files;
        const auto before = treeState(files.dir.path());
        auto faulty = std::make_shared<FaultyFileOperations>();
        faulty->failOn(c.op, c.nth, ENOSPC);

        bool threw = false;
        try {
            OverlayFileReplacement(faulty).apply(files.changes());
        } catch (const std::system_error& error) {
            threw = true;
            EXPECT_EQ(error.code().value(), ENOSPC); // the failure itself, not a wrapped one
        }
        EXPECT_EQ(threw, c.fails);
        if (c.fails) {
            EXPECT_EQ(treeState(files.dir.path()), before); // nothing replaced, nothing left beside
            continue;
        }
        auto after = before;
        after["options.txt"] = FileState{true, "ao:2\n", 0600};
        after.erase("bin/runData");
        after["settings.json"] = FileState{true, "{}", 0644};
        EXPECT_EQ(treeState(files.dir.path()), after);
    }
}

TEST(OverlayFileReplacement, AFailedUndoNamesBothFailures)
{
    ThreeFiles files;
    auto faulty = std::make_shared<FaultyFileOperations>();
    faulty->failOn(Op::moveNoReplace, 2, ENOSPC); // the new settings.json cannot be moved into place
    faulty->failOn(Op::moveNoReplace, 3, EIO);    // nor runData back from where it was set aside
    try {
        OverlayFileReplacement(faulty).apply(files.changes());
        ADD_FAILURE() << "replaced";
    } catch (const std::exception& error) {
        const QString text = describe(error);
        EXPECT_TRUE(text.startsWith(QStringLiteral("The overlay restore failed (")));
        EXPECT_TRUE(
            text.endsWith(QStringLiteral("). Restore again, or restore the latest pre-overlay backup by hand.")));
        EXPECT_TRUE(text.contains(QString::fromStdString(std::generic_category().message(ENOSPC))));
        EXPECT_TRUE(text.contains(QString::fromStdString(std::generic_category().message(EIO))));
    }
}
