#pragma once

#include <QUrl>

#include <filesystem>
#include <memory>

namespace orvane {

class AppModel;

// The model operations the details sheet starts. Each call starts one operation and returns at once:
// the sheet never waits for the model, which reports through its properties, and the model's busy
// flag (which disables the tools) keeps operations from overlapping.
class DetailsOperations {
public:
    virtual ~DetailsOperations() = default;
    virtual void refreshReadiness() = 0;
    virtual void performInitialInspection() = 0;
    virtual void inspect() = 0;
    virtual void checkThisMac() = 0;
    virtual void chooseInstanceFolder(const std::filesystem::path& folder) = 0;
    virtual void backUpSettings() = 0;
    virtual void writeDiagnostic() = 0;
    virtual void backUpWorlds() = 0;
    virtual void restoreSettings() = 0;
    virtual void restoreWorlds() = 0;
    virtual void checkForUpdates() = 0;
    // The desktop refused a page or folder the sheet handed over; the status line says so.
    virtual void reportNotOpened(const QUrl& url) = 0;

    // Starts each operation on `model`, which must outlive the result.
    static std::shared_ptr<DetailsOperations> of(AppModel& model);
};

} // namespace orvane
