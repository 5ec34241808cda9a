#include "ui/details/DetailsOperations.h"

#include "model/AppModel.h"
#include "ui/details/DetailsTask.h"

namespace orvane {

namespace {

class ModelDetailsOperations final : public DetailsOperations {
public:
    explicit ModelDetailsOperations(AppModel& model) : m_model(model) {}

    void refreshReadiness() override { startTask(m_model.refreshReadiness()); }
    void performInitialInspection() override { startTask(m_model.performInitialInspection()); }
    void inspect() override { startTask(m_model.inspect()); }
    void checkThisMac() override { startTask(m_model.checkThisMac()); }
    void chooseInstanceFolder(const std::filesystem::path& folder) override
    {
        startTask(m_model.chooseInstanceFolder(folder));
    }
    void backUpSettings() override { startTask(m_model.backUpSettings()); }
    void writeDiagnostic() override { startTask(m_model.writeDiagnostic()); }
    void backUpWorlds() override { startTask(m_model.backUpWorlds()); }
    void restoreSettings() override { startTask(m_model.restoreSettings()); }
    void restoreWorlds() override { startTask(m_model.restoreWorlds()); }
    void checkForUpdates() override { startTask(m_model.checkForUpdates()); }
    void reportNotOpened(const QUrl& url) override { m_model.reportNotOpened(url); }

private:
    AppModel& m_model;
};

} // namespace

std::shared_ptr<DetailsOperations> DetailsOperations::of(AppModel& model)
{
    return std::make_shared<ModelDetailsOperations>(model);
}

} // namespace orvane
