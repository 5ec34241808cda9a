#pragma once

#include "model/PackID.h"

#include <filesystem>

namespace orvane {

class AppModel;

// The model operations the main window starts. Each call starts one operation and returns at once:
// the window never waits for the model, and the model's own busy and in-flight flags keep operations
// from overlapping.
class WindowOperations {
public:
    virtual ~WindowOperations() = default;
    virtual void performInitialInspection() = 0;
    virtual void refreshReadiness() = 0;
    virtual void selectPack(const PackID& id) = 0;
    virtual void chooseInstanceFolder(const std::filesystem::path& folder) = 0;
    virtual void performPrimaryAction() = 0;
    virtual void cancelLaunchObservation() = 0;
    virtual void restoreSettings() = 0;
};

} // namespace orvane
