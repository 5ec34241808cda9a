#include "ui/desktop/Clipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>

namespace orvane {
namespace {

TEST(SystemClipboard, ReadsBackWhatItPuts)
{
    EXPECT_TRUE(Clipboard::system()->putText(QStringLiteral("Orvane report · é")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Orvane report · é"));
}

} // namespace
} // namespace orvane
