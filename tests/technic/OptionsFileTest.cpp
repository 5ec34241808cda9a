#include "technic/OptionsFile.h"

#include "model/OrvaneError.h"
#include "platform/FileOperations.h"
#include "support/FaultyFileOperations.h"
#include "support/FixtureHome.h"
#include "support/TempDir.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <system_error>

using namespace orvane;
using namespace orvane::test;

TEST(OptionsFile, SplitsAndSerialisesLines)
{
    const OptionsFile blankInside(QStringLiteral("a:1\n\nb:2\n"));
    EXPECT_EQ(blankInside.lines(), (QStringList{"a:1", "", "b:2"}));
    EXPECT_EQ(blankInside.text(), QStringLiteral("a:1\n\nb:2\n"));

    const OptionsFile noFinalNewline(QStringLiteral("a:1"));
    EXPECT_EQ(noFinalNewline.lines(), QStringList{"a:1"});
    EXPECT_EQ(noFinalNewline.text(), QStringLiteral("a:1\n"));

    EXPECT_TRUE(OptionsFile(QString()).lines().isEmpty());
    EXPECT_EQ(OptionsFile(QString()).text(), QStringLiteral("\n"));
    // Only one final empty piece is dropped: a trailing blank line survives.
    EXPECT_EQ(OptionsFile(QStringLiteral("a:1\n\n")).lines(), (QStringList{"a:1", ""}));
}

TEST(OptionsFile, CrLfFilesKeepEverySettingAndReadCleanValues)
{
    OptionsFile file(QStringLiteral("fov:0.0\r\n\r\nlang:en_us\r\nkey_key.jump:57\r\n"));
    EXPECT_EQ(file.lines(), (QStringList{"fov:0.0", "", "lang:en_us", "key_key.jump:57"}));
    EXPECT_EQ(file.value(QStringLiteral("fov")), QStringLiteral("0.0"));
    EXPECT_EQ(file.nonKeyBindingValues().value(QStringLiteral("lang")), QStringLiteral("en_us"));
    file.set(QStringLiteral("fov"), QStringLiteral("0.5"));
    EXPECT_EQ(file.text(), QStringLiteral("fov:0.5\n\nlang:en_us\nkey_key.jump:57\n"));
}

TEST(OptionsFile, LaterDuplicateWinsAndIsTheOneChanged)
{
    OptionsFile file(QStringLiteral("fov:0.0\ngamma:1.0\nfov:1.0\n"));
    EXPECT_EQ(file.value(QStringLiteral("fov")), QStringLiteral("1.0"));
    EXPECT_EQ(file.value(QStringLiteral("fo")), std::nullopt);
    file.set(QStringLiteral("fov"), QStringLiteral("0.5"));
    EXPECT_EQ(file.lines(), (QStringList{"fov:0.0", "gamma:1.0", "fov:0.5"}));
    file.set(QStringLiteral("maxFps"), QStringLiteral("60"));
    EXPECT_EQ(file.lines().last(), QStringLiteral("maxFps:60"));
}

TEST(OptionsFile, NonKeyBindingValues)
{
    const OptionsFile file(QStringLiteral("key_key.jump:key.keyboard.space\nlang:en_us\nno colon here\n"
                                          "lastServer:127.0.0.1:25565\nlang:de_de\n"));
    const auto values = file.nonKeyBindingValues();
    EXPECT_EQ(values.size(), 2);
    EXPECT_EQ(values.value(QStringLiteral("lang")), QStringLiteral("de_de"));
    EXPECT_EQ(values.value(QStringLiteral("lastServer")), QStringLiteral("127.0.0.1:25565"));
}

TEST(OptionsFile, ApplyingChangesOnlyTheNamedLines)
{
    const OptionsFile original(QString::fromUtf8(FixtureHome::defaultOptions()));
    const OptionsFile changed = original.applying(
        {{QStringLiteral("renderDistance"), QStringLiteral("8")}, {QStringLiteral("fboEnable"), QStringLiteral("true")},
         {QStringLiteral("ao"), QStringLiteral("0")}});
    ASSERT_EQ(changed.lines().size(), original.lines().size() + 1);
    for (qsizetype i = 0; i < original.lines().size(); ++i) {
        const QString& line = original.lines()[i];
        if (line.startsWith(QLatin1String("renderDistance:")))
            EXPECT_EQ(changed.lines()[i], QStringLiteral("renderDistance:8"));
        else if (line.startsWith(QLatin1String("ao:")))
            EXPECT_EQ(changed.lines()[i], QStringLiteral("ao:0"));
        else
            EXPECT_EQ(changed.lines()[i], line);
    }
    EXPECT_EQ(changed.lines().last(), QStringLiteral("fboEnable:true"));
    // The original is a value: untouched.
    EXPECT_EQ(original.value(QStringLiteral("renderDistance")), QStringLiteral("12"));
}

TEST(OptionsFile, RefusesSettingsThatWouldInjectLines)
{
    OptionsFile file(QStringLiteral("fov:0.0\n"));
    const OptionsFile before = file;
    for (const auto& [key, value] : std::vector<std::pair<QString, QString>>{
             {QStringLiteral("a:b"), QStringLiteral("1")},
             {QStringLiteral("a\nb"), QStringLiteral("1")},
             {QStringLiteral("fov"), QStringLiteral("0.5\nmaxFps:1")},
             {QStringLiteral("fov"), QStringLiteral("0.5\r")}}) {
        SCOPED_TRACE(key.toStdString() + " = " + value.toStdString());
        try {
            file.set(key, value);
            ADD_FAILURE() << "accepted";
        } catch (const OrvaneError& error) {
            EXPECT_EQ(error.kind(), OrvaneError::Kind::io);
        }
        EXPECT_EQ(file, before);
    }
    // A refused pair leaves the whole applying without effect.
    EXPECT_THROW(file.applying({{QStringLiteral("a"), QStringLiteral("1")}, {QStringLiteral("b"), QStringLiteral("x\ny")}}),
                 OrvaneError);
    // Values may hold ":" (server addresses do).
    file.set(QStringLiteral("lastServer"), QStringLiteral("example.org:25565"));
    EXPECT_EQ(file.value(QStringLiteral("lastServer")), QStringLiteral("example.org:25565"));
}

TEST(OptionsFile, ReadAndWriteFiles)
{
    FixtureHome home;
    auto& files = *FileOperations::system();
    const auto path = home.instanceRoot() / "options.txt";
    OptionsFile file = OptionsFile::read(path, files);
    EXPECT_EQ(file.text().toUtf8(), FixtureHome::defaultOptions());
    file.set(QStringLiteral("fov"), QStringLiteral("0.25"));
    file.write(path, files);
    EXPECT_EQ(OptionsFile::read(path, files), file);

    home.writeOptions(QByteArray("lang:en_us\n\xff\xfe broken\n"));
    EXPECT_THROW(OptionsFile::read(path, files), OrvaneError);
    // A file cut inside its last character is not UTF-8 either: reading it as text would lose those
    // bytes on the next write.
    home.writeOptions(QByteArray("lang:en_us\nlastServer:caf\xC3"));
    EXPECT_THROW(OptionsFile::read(path, files), OrvaneError);
    FixtureHome::makeFifo(path);
    EXPECT_THROW(OptionsFile::read(path, files), std::system_error);

    FaultyFileOperations faulty;
    faulty.failOn(FaultyFileOperations::Op::writeAtomically, 1);
    const auto other = home.root() / "options.txt";
    writeFile(other, "fov:0.0\n");
    EXPECT_THROW(OptionsFile(QStringLiteral("fov:1.0")).write(other, faulty), std::system_error);
    EXPECT_EQ(readFile(other), QByteArray("fov:0.0\n"));
}
