#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "ui/desktop/FolderChooser.h"

#include <gtest/gtest.h>

#include <QFileDialog>

#include <memory>

namespace orvane {
namespace {

TEST(DialogFolderChooser, OpensInTechnicsModpacksWhenThereIsOneElseTheHomeAndShowsHiddenFolders)
{
    struct Case {
        const char* name;
        std::vector<const char*> folders; // made under the home
        std::vector<const char*> files;
        const char* start;                // under the home
    };
    const Case cases[] = {
        {"the Linux data folder", {".technic/modpacks/tekkit-2"}, {}, ".technic/modpacks"},
        {"a data folder without modpacks", {".technic/assets"}, {}, ""},
        {"no Technic at all", {}, {}, ""},
        {"the macOS data folder", {"Library/Application Support/technic/modpacks"}, {},
         "Library/Application Support/technic/modpacks"},
        {"the first data folder found has no modpacks", {".technic", "Library/Application Support/technic/modpacks"}, {},
         ""},
        {"modpacks is a file", {".technic"}, {".technic/modpacks"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir home;
        for (const char* folder : c.folders)
            std::filesystem::create_directories(home / folder);
        for (const char* file : c.files)
            test::writeFile(home / file, "x");
        const std::filesystem::path start = std::string(c.start).empty() ? home.path() : home / c.start;

        DialogFolderChooser chooser(home.path());
        EXPECT_EQ(chooser.startingFolder(), start);
        const std::unique_ptr<QFileDialog> dialog(
            chooser.makeDialog(nullptr, QStringLiteral("Choose the installed Tekkit 2 1.2.6 instance folder."),
                               QStringLiteral("Use instance")));
        EXPECT_EQ(dialog->directory().absolutePath(), QString::fromStdString(start.string()));
        EXPECT_TRUE(dialog->filter().testFlag(QDir::Hidden)) << "~/.technic can be picked";
        EXPECT_TRUE(dialog->filter().testFlag(QDir::Dirs));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
        EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Choose the installed Tekkit 2 1.2.6 instance folder."));
        EXPECT_EQ(dialog->labelText(QFileDialog::Accept), QStringLiteral("Use instance"));
        EXPECT_FALSE(dialog->isVisible());
    }
}

} // namespace
} // namespace orvane
