#include "ui/details/DetailsOperations.h"

#include "model/AppModel.h"

namespace orvane {

namespace {

class ModelDetailsOperations final : public DetailsOperations {
public:
    explicit ModelDetailsOperations(AppModel& model) : m_model(model) {}

    QCoro::Task<> refreshReadiness() override { return m_model.refreshReadiness(); }
    QCoro::Task<> performInitialInspection() override { return m_model.performInitialInspection(); }
    QCoro::Task<> inspect() override { return m_model.inspect(); }
    QCoro::Task<> checkThisMac() override { return m_model.checkThisMac(); }
    QCoro::Task<> chooseInstanceFolder(const std::filesystem::path& folder) override
    {
        return m_model.chooseInstanceFolder(folder);
    }
    QCoro::Task<> backUpSettings() override { return m_model.backUpSettings(); }
    QCoro::Task<> writeDiagnostic() override { return m_model.writeDiagnostic(); }
    QCoro::Task<> backUpWorlds() override { return m_model.backUpWorlds(); }
    QCoro::Task<> restoreSettings() override { return m_model.restoreSettings(); }
    QCoro::Task<> restoreWorlds() override { return m_model.restoreWorlds(); }
    QCoro::Task<> checkForUpdates() override { return m_model.checkForUpdates(); }
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
