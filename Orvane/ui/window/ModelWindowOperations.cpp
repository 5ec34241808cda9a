#include "ui/window/ModelWindowOperations.h"

#include "model/AppModel.h"

namespace orvane {

ModelWindowOperations::ModelWindowOperations(AppModel& model) : m_model(&model) {}

// A QCoro task left unawaited keeps running and frees itself when it ends.
void ModelWindowOperations::performInitialInspection()
{
    if (m_model)
        (void)m_model->performInitialInspection();
}

void ModelWindowOperations::refreshReadiness()
{
    if (m_model)
        (void)m_model->refreshReadiness();
}

void ModelWindowOperations::selectPack(const PackID& id)
{
    if (m_model)
        (void)m_model->selectPack(id);
}

void ModelWindowOperations::chooseInstanceFolder(const std::filesystem::path& folder)
{
    if (m_model)
        (void)m_model->chooseInstanceFolder(folder);
}

void ModelWindowOperations::performPrimaryAction()
{
    if (m_model)
        (void)m_model->performPrimaryAction();
}

void ModelWindowOperations::cancelLaunchObservation()
{
    if (m_model)
        (void)m_model->cancelLaunchObservation();
}

void ModelWindowOperations::restoreSettings()
{
    if (m_model)
        (void)m_model->restoreSettings();
}

} // namespace orvane
