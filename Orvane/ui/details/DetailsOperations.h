#pragma once

#include <QUrl>
#include <qcoro/qcorotask.h>

#include <filesystem>
#include <memory>

namespace orvane {

class AppModel;

// The model operations the details sheet starts. Each call starts one operation and returns its task
// at once: the sheet never waits for the model, which reports through its properties, and the model's
// busy flag (which disables the tools) keeps operations from overlapping. The task ends when the
// operation does, which may be before the call returns; a caller may drop it and let it run on.
class DetailsOperations {
public:
    virtual ~DetailsOperations() = default;
    virtual QCoro::Task<> refreshReadiness() = 0;
    virtual QCoro::Task<> performInitialInspection() = 0;
    virtual QCoro::Task<> inspect() = 0;
    virtual QCoro::Task<> checkThisMac() = 0;
    virtual QCoro::Task<> chooseInstanceFolder(const std::filesystem::path& folder) = 0;
    virtual QCoro::Task<> backUpSettings() = 0;
    virtual QCoro::Task<> writeDiagnostic() = 0;
    virtual QCoro::Task<> backUpWorlds() = 0;
    virtual QCoro::Task<> restoreSettings() = 0;
    virtual QCoro::Task<> restoreWorlds() = 0;
    virtual QCoro::Task<> checkForUpdates() = 0;
    // The desktop refused a page or folder the sheet handed over; the status line says so at once.
    virtual void reportNotOpened(const QUrl& url) = 0;

    // Starts each operation on `model`, which must outlive the result.
    static std::shared_ptr<DetailsOperations> of(AppModel& model);
};

} // namespace orvane
