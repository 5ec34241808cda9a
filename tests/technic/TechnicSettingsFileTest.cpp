#include "technic/TechnicSettingsFile.h"

#include "json/DecodingError.h"
#include "model/OrvaneError.h"
#include "platform/FileOperations.h"
#include "support/FaultyFileOperations.h"
#include "support/FixtureHome.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;

namespace {

std::optional<std::int64_t> memoryOf(const char* json)
{
    return TechnicSettingsFile::memory(QJsonDocument::fromJson(json).object());
}

} // namespace

TEST(TechnicSettingsFile, MemoryRule)
{
    EXPECT_EQ(memoryOf(R"({"memory": 4096})"), 4096);
    EXPECT_EQ(memoryOf(R"({"memory": 4096.7})"), 4096);
    EXPECT_EQ(memoryOf(R"({"memory": -1})"), -1);
    EXPECT_EQ(memoryOf(R"({"memory": -2.9})"), -2);
    EXPECT_EQ(memoryOf(R"({"memory": 9007199254740993})"), 9007199254740993);
    EXPECT_EQ(memoryOf(R"({"memory": "4096"})"), std::nullopt);
    EXPECT_EQ(memoryOf(R"({"memory": true})"), std::nullopt);
    EXPECT_EQ(memoryOf(R"({"memory": 1e300})"), std::nullopt);
    EXPECT_EQ(memoryOf(R"({"memory": -1e300})"), std::nullopt);
    EXPECT_EQ(memoryOf(R"({"memory": 9.3e18})"), std::nullopt);
    EXPECT_EQ(memoryOf(R"({"memory": null})"), std::nullopt);
    EXPECT_EQ(memoryOf(R"({})"), std::nullopt);
}

TEST(TechnicSettingsFile, SampleRewriteKeepsEveryKey)
{
    TempDir dir;
    const auto path = dir / "settings.json";
    writeFile(path, readFile(std::filesystem::path(ORVANE_TEST_FIXTURES) / "technic/data/settings.json"));
    ::chmod(path.c_str(), 0600);
    auto& files = *FileOperations::system();

    QJsonObject settings = TechnicSettingsFile::read(path, files);
    EXPECT_EQ(TechnicSettingsFile::memory(settings), 6);
    EXPECT_EQ(settings.value(QStringLiteral("useMojangJava")), QJsonValue(true));
    const QJsonObject original = settings;

    settings.insert(QStringLiteral("memory"), 10);
    TechnicSettingsFile::write(settings, path, files);
    const QJsonObject reread = TechnicSettingsFile::read(path, files);
    EXPECT_EQ(reread.size(), original.size());
    EXPECT_EQ(reread.value(QStringLiteral("clientId")), original.value(QStringLiteral("clientId")));
    EXPECT_EQ(reread.value(QStringLiteral("latestNewsArticle")), QJsonValue(4712));
    EXPECT_EQ(TechnicSettingsFile::memory(reread), 10);
    // Sorted keys, pretty-printed; the user's permissions kept.
    const QByteArray text = readFile(path);
    EXPECT_LT(text.indexOf("\"autoAcceptRequirements\""), text.indexOf("\"clientId\""));
    EXPECT_TRUE(text.contains("\n    \"memory\": 10"));
    struct stat st {};
    ::stat(path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(TechnicSettingsFile, FailedWriteLeavesTheOldFile)
{
    TempDir dir;
    const auto path = dir / "settings.json";
    writeFile(path, "{\"memory\": 6}");
    FaultyFileOperations files;
    files.failOn(FaultyFileOperations::Op::writeAtomically, 1);
    EXPECT_THROW(TechnicSettingsFile::write(QJsonObject{{QStringLiteral("memory"), 10}}, path, files),
                 std::system_error);
    EXPECT_EQ(readFile(path), QByteArray("{\"memory\": 6}"));
}

TEST(TechnicSettingsFile, ReadFailures)
{
    TempDir dir;
    auto& files = *FileOperations::system();
    writeFile(dir / "array.json", "[]");
    try {
        TechnicSettingsFile::read(dir / "array.json", files);
        FAIL() << "an array was accepted";
    } catch (const OrvaneError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("settings.json is not a JSON object"));
    }
    writeFile(dir / "broken.json", "{\"memory\": ");
    EXPECT_THROW(TechnicSettingsFile::read(dir / "broken.json", files), DecodingError);
    EXPECT_THROW(TechnicSettingsFile::read(dir / "missing.json", files), std::system_error);
    FixtureHome::makeFifo(dir / "fifo.json");
    EXPECT_THROW(TechnicSettingsFile::read(dir / "fifo.json", files), std::system_error);
}
