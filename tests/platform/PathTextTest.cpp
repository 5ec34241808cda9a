#include "platform/PathText.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(PathText, ANameKeepsEveryCharacterOnItsWayToTextAndBack)
{
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"a leading U+FEFF", "\xEF\xBB\xBFWorld/level.dat"},
        {"U+FEFF alone", "\xEF\xBB\xBF"},
        {"U+FEFF inside", "saves/\xEF\xBB\xBFWorld"},
        {"plain", "saves/World"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::filesystem::path path(c.bytes);
        ASSERT_TRUE(exactPathText(path).has_value());
        EXPECT_EQ(*exactPathText(path), pathText(path));
        EXPECT_EQ(pathFromText(pathText(path)).native(), c.bytes);
    }
}

} // namespace
} // namespace orvane
