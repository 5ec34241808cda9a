#pragma once

#include <QCoro/QCoroTask>
#include <QString>

#include <filesystem>
#include <optional>

class QFileDialog;
class QWidget;

namespace orvane {

// Asks the user for one folder. The real chooser is a window-modal dialog; tests answer directly.
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // Shows the chooser over `parent` with `message` as its title and `acceptLabel` on the confirm
    // button; gives the chosen folder, or nothing when the user cancels.
    virtual QCoro::Task<std::optional<std::filesystem::path>> chooseFolder(QWidget* parent, QString message,
                                                                           QString acceptLabel) = 0;
};

// Qt's own (non-native) file dialog in folder mode, opened with open() and awaited through its
// finished signal, so no nested event loop runs inside the caller's coroutine. It opens where Technic
// keeps its instances and shows hidden folders: on Linux those live in ~/.technic, which a dialog
// hiding dot-folders would leave to be typed.
class DialogFolderChooser final : public FolderChooser {
public:
    // `home` is the user's home folder, where the Technic data folder is looked for.
    explicit DialogFolderChooser(std::filesystem::path home = defaultHome());

    QCoro::Task<std::optional<std::filesystem::path>> chooseFolder(QWidget* parent, QString message,
                                                                   QString acceptLabel) override;

    // The dialog chooseFolder opens, set up but not yet shown; the caller owns it.
    QFileDialog* makeDialog(QWidget* parent, const QString& message, const QString& acceptLabel) const;
    // The Technic data folder's "modpacks" when it is a folder, else the home folder. Looked for anew
    // each time, so a Technic installed meanwhile is found.
    std::filesystem::path startingFolder() const;

    static std::filesystem::path defaultHome();

private:
    std::filesystem::path m_home;
};

} // namespace orvane
