#include "DetailsFakes.h"

#include "app/support/EventLoop.h"
#include "ui/desktop/FileRevealer.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using test::RecordingUrlOpener;

// Records the ShowItems calls instead of making them; fails them on request.
class RecordingFileManagerBus final : public FileManagerBus {
public:
    bool connected() const override { return reachable; }
    void showItems(const QStringList& uris, const QString& startupId, std::function<void()> failed) override
    {
        calls.push_back(uris);
        startupIds.push_back(startupId);
        if (fail)
            failed();
    }

    bool reachable = true;
    bool fail = false;
    std::vector<QStringList> calls;
    std::vector<QString> startupIds;
};

TEST(FileRevealer, SendsShowItemsOneFullyEncodedFileUri)
{
    struct Case {
        const char* path;
        const char* uri;
    };
    const Case cases[] = {
        {"/home/a/.local/share/orvane/My Reports/orvane report.json",
         "file:///home/a/.local/share/orvane/My%20Reports/orvane%20report.json"},
        {"/home/a/Données/r#1?.json", "file:///home/a/Donn%C3%A9es/r%231%3F.json"},
        {"/home/a/100%/r.json", "file:///home/a/100%25/r.json"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto bus = std::make_shared<RecordingFileManagerBus>();
        auto folders = std::make_shared<test::RecordingUrlOpener>();
        FileRevealer::freedesktop(folders, bus)->reveal(std::filesystem::path(c.path), [](const QUrl&) {
            ADD_FAILURE() << "the file manager answered";
        });
        ASSERT_EQ(bus->calls.size(), 1u);
        EXPECT_EQ(bus->calls[0], QStringList{QString::fromUtf8(c.uri)});
        EXPECT_EQ(bus->startupIds[0], QString());
        EXPECT_TRUE(folders->opened.empty()) << "the file manager answered";
    }
}

TEST(FileRevealer, OpensTheFolderWhenTheBusIsAwayOrTheCallFails)
{
    struct Case {
        const char* name;
        bool reachable, fail;
        std::size_t calls;
    };
    const Case cases[] = {{"no bus", false, false, 0}, {"the call fails", true, true, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bus = std::make_shared<RecordingFileManagerBus>();
        bus->reachable = c.reachable;
        bus->fail = c.fail;
        auto folders = std::make_shared<test::RecordingUrlOpener>();
        FileRevealer::freedesktop(folders, bus)->reveal("/home/a/My Reports/../Reports/orvane report.json", {});
        EXPECT_EQ(bus->calls.size(), c.calls);
        EXPECT_EQ(folders->opened, std::vector<QUrl>{QUrl::fromLocalFile(QStringLiteral("/home/a/Reports"))});
    }
}

TEST(FileRevealer, AFolderNothingOpensIsReportedOnceWithItsAddress)
{
    struct Case {
        const char* name;
        bool reachable, fail, refuse;
        std::vector<QUrl> reported;
    };
    const QUrl folder = QUrl::fromLocalFile(QStringLiteral("/home/a/Reports"));
    const Case cases[] = {
        {"no bus, the folder opens", false, false, false, {}},
        {"no bus, nothing opens folders", false, false, true, {folder}},
        {"the call fails, nothing opens folders", true, true, true, {folder}},
        {"the file manager answers", true, false, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto bus = std::make_shared<RecordingFileManagerBus>();
        bus->reachable = c.reachable;
        bus->fail = c.fail;
        auto folders = std::make_shared<test::RecordingUrlOpener>();
        folders->refuse = c.refuse;
        std::vector<QUrl> reported;
        FileRevealer::freedesktop(folders, bus)->reveal("/home/a/My Reports/../Reports/orvane report.json",
                                                        [&](const QUrl& url) { reported.push_back(url); });
        EXPECT_EQ(reported, c.reported);
    }
}

TEST(FileRevealer, OpensTheFoldersWhenNoBusAnswers)
{
    auto urls = std::make_shared<RecordingUrlOpener>();
    auto revealer = FileRevealer::freedesktop(urls, QStringLiteral("unix:path=/nonexistent/orvane-test-bus"));
    revealer->reveal("/home/a/Library/Application Support/orvane/diagnostics/orvane-diagnostic-1.json", {});
    ASSERT_TRUE(test::runEventsUntil([&] { return !urls->opened.empty(); }, 5000));
    EXPECT_EQ(urls->opened.front(), QUrl::fromLocalFile(QStringLiteral("/home/a/Library/Application Support/orvane/diagnostics")));
}

} // namespace
} // namespace orvane
