#pragma once

#include <QCoro/QCoroTask>
#include <QString>

#include <filesystem>
#include <optional>

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
// finished signal, so no nested event loop runs inside the caller's coroutine.
class DialogFolderChooser final : public FolderChooser {
public:
    QCoro::Task<std::optional<std::filesystem::path>> chooseFolder(QWidget* parent, QString message,
                                                                   QString acceptLabel) override;
};

} // namespace orvane
