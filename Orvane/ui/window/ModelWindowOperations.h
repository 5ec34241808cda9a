#pragma once

#include "ui/window/WindowOperations.h"

#include <QPointer>

namespace orvane {

class AppModel;

// The window's operations as the model runs them: each starts the model's coroutine and lets it run
// to its end on its own (the model's catch-all reports its failures in the status line).
class ModelWindowOperations final : public WindowOperations {
public:
    explicit ModelWindowOperations(AppModel& model);

    void performInitialInspection() override;
    void refreshReadiness() override;
    void selectPack(const PackID& id) override;
    void chooseInstanceFolder(const std::filesystem::path& folder) override;
    void performPrimaryAction() override;
    void cancelLaunchObservation() override;
    void restoreSettings() override;

private:
    QPointer<AppModel> m_model;
};

} // namespace orvane
