#include "platform/ApplicationBundle.h"
#include "platform/PlistReader.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QList>

#include <sys/stat.h>

using namespace orvane;
using orvane::test::TempDir;
using orvane::test::writeFile;

namespace {

QByteArray infoPlist(const QByteArray& dictBody)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n<dict>\n"
        + dictBody + "</dict>\n</plist>\n";
}

const QByteArray kTechnicBody = "  <!-- written by the bundler -->\n"
                                "  <key>CFBundleExecutable</key><string>Technic Launcher</string>\n"
                                "  <key>CFBundleIdentifier</key>\n  <string>net.technicpack.launcher</string>\n"
                                "  <key>LSRequiresNativeExecution</key><true/>\n"
                                "  <key>CFBundleDocumentTypes</key><array><dict><key>CFBundleTypeName</key>"
                                "<string>nested</string></dict></array>\n"
                                "  <key>LSMinimumSystemVersion</key><integer>11</integer>\n"
                                "  <key>Escaped</key><string>a &amp; b &lt;c&gt;</string>\n"
                                "  <key>Empty</key><string/>\n";

} // namespace

TEST(PlistReader, ReadsTopLevelStringsAndPassesOverOtherValues)
{
    const auto strings = readPlistStrings(infoPlist(kTechnicBody));
    ASSERT_TRUE(strings);
    EXPECT_EQ(*strings, (PlistStrings {{"CFBundleExecutable", "Technic Launcher"},
                                       {"CFBundleIdentifier", "net.technicpack.launcher"},
                                       {"Escaped", "a & b <c>"},
                                       {"Empty", ""}}));
    // No dictionary at all is still a property list.
    EXPECT_EQ(readPlistStrings(infoPlist("")), PlistStrings {});
}

TEST(PlistReader, MalformedInputReadsAsNothing)
{
    const QList<QByteArray> malformed = {
        "",
        QByteArray("bplist00\xd1\x01\x02", 11),
        "<plist><dict><key>CFBundleIdentifier</key><string>x</string>", // never closed
        "<plist><dict><key>CFBundleIdentifier</key></dict></plist>",    // key without value
        "<plist><dict><string>x</string></dict></plist>",               // value without key
        "<plist><array><string>x</string></array></plist>",             // not a dictionary
        "<dict><key>a</key><string>x</string></dict>",                  // no plist element
        "<plist><dict><key>a<b/></key><string>x</string></dict></plist>",
        "<plist><dict><key>a</key><string>x<b/></string></dict></plist>",
        "<plist><dict></dict><dict></dict></plist>",
        "<plist><dict><key>a</key><string>x</string></dict></plist><plist/>",
        "<plist><dict><key>a</key><string>x</strin></dict></plist>",
        // Entities that expand a billion-fold are refused, not expanded.
        "<?xml version=\"1.0\"?><!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaa\">"
        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\"><!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">"
        "<!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\"><!ENTITY e \"&d;&d;&d;&d;&d;&d;&d;&d;&d;&d;\">"
        "<!ENTITY f \"&e;&e;&e;&e;&e;&e;&e;&e;&e;&e;\"><!ENTITY g \"&f;&f;&f;&f;&f;&f;&f;&f;&f;&f;\">]>"
        "<plist><dict><key>a</key><string>&g;</string></dict></plist>",
    };
    for (const auto& bytes : malformed)
        EXPECT_EQ(readPlistStrings(bytes), std::nullopt) << bytes.toStdString();
}

TEST(PlistReader, FilesAreReadBoundedAndNeverHang)
{
    TempDir dir;
    auto files = FileOperations::system();
    writeFile(dir / "good.plist", infoPlist(kTechnicBody));
    EXPECT_TRUE(readPlistStringsFile(dir / "good.plist", *files));
    EXPECT_EQ(readPlistStringsFile(dir / "missing.plist", *files), std::nullopt);
    ASSERT_EQ(::mkfifo((dir / "fifo.plist").c_str(), 0600), 0);
    EXPECT_EQ(readPlistStringsFile(dir / "fifo.plist", *files), std::nullopt);
    // A well-formed file above the limit is not read at all.
    writeFile(dir / "huge.plist", infoPlist("<key>Padding</key><string>" + QByteArray(2 << 20, 'p') + "</string>"));
    EXPECT_EQ(readPlistStringsFile(dir / "huge.plist", *files), std::nullopt);
    EXPECT_TRUE(readPlistStringsFile(dir / "huge.plist", *files, 4 << 20));
}

TEST(ApplicationBundle, IdentifierComesFromTheInnermostEnclosingApplication)
{
    TempDir dir;
    auto files = FileOperations::system();
    const auto app = dir / "Applications" / "Technic Launcher.app";
    writeFile(app / "Contents" / "Info.plist", infoPlist(kTechnicBody));
    const auto helper = app / "Contents" / "Frameworks" / "Helper.app";
    writeFile(helper / "Contents" / "Info.plist",
              infoPlist("<key>CFBundleIdentifier</key><string>net.technicpack.helper</string>"));

    EXPECT_EQ(bundleIdentifier(app / "Contents" / "MacOS" / "Technic Launcher", *files),
              QString("net.technicpack.launcher"));
    EXPECT_EQ(bundleIdentifier(helper / "Contents" / "MacOS" / "Helper", *files), QString("net.technicpack.helper"));
    EXPECT_EQ(enclosingApplication(app / "Contents" / "MacOS" / "Technic Launcher"), app);

    // Outside any application: no identifier, even with an Info.plist where one would be looked for.
    writeFile(dir / "opt" / "Contents" / "Info.plist", infoPlist(kTechnicBody));
    EXPECT_EQ(bundleIdentifier(dir / "opt" / "Contents" / "MacOS" / "launcher", *files), std::nullopt);
    EXPECT_EQ(bundleIdentifier(dir / "opt" / "launcher.app", *files), std::nullopt);

    // An identifier that is not a string, a missing or broken Info.plist: none.
    const auto numbered = dir / "Numbered.app";
    writeFile(numbered / "Contents" / "Info.plist", infoPlist("<key>CFBundleIdentifier</key><integer>7</integer>"));
    EXPECT_EQ(bundleIdentifier(numbered / "Contents" / "MacOS" / "n", *files), std::nullopt);
    EXPECT_EQ(bundleIdentifier(dir / "Empty.app" / "Contents" / "MacOS" / "e", *files), std::nullopt);
    const auto broken = dir / "Broken.app";
    writeFile(broken / "Contents" / "Info.plist", "<plist><dict><key>CFBundleIdentifier</key>");
    EXPECT_EQ(bundleIdentifier(broken / "Contents" / "MacOS" / "b", *files), std::nullopt);
}
