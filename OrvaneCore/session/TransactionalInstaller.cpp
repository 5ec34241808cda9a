#include "session/TransactionalInstaller.h"

#include "json/JsonWriter.h"
#include "model/OrvaneError.h"
#include "platform/PathText.h"
#include "session/EntryExists.h"
#include "technic/OptionsFile.h"
#include "technic/TechnicFileReading.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QMap>

namespace orvane {

namespace {

// The launcher's own files carry no final line end; encodeJson's document form ends in one.
QByteArray technicJson(const QJsonObject& object)
{
    QByteArray bytes = encodeJson(object);
    if (bytes.endsWith('\n'))
        bytes.chop(1);
    return bytes;
}

} // namespace

TransactionalInstaller::TransactionalInstaller(std::shared_ptr<FileOperations> fileOperations)
    : m_files(std::move(fileOperations))
{
}

void TransactionalInstaller::apply(const OverlayPlan& plan, const InstallInspection& inspection,
                                   const ContentPolicyEngine& policy,
                                   const std::function<void(const std::vector<PendingWrite>&)>& beforeWriting) const
{
    policy.authorize(plan.requiredComponents);
    // The Balanced overlay adds configuration only: no component files.
    ContentPolicyEngine::refuseNonOverlayPaths({});

    const std::vector<PendingWrite> writes = prepare(plan, inspection);
    if (beforeWriting)
        beforeWriting(writes);
    for (const auto& write : writes) {
        m_files->createDirectories(write.file.parent_path());
        m_files->writeAtomically(write.file, write.bytes, write.mode);
    }
}

std::vector<TransactionalInstaller::PendingWrite> TransactionalInstaller::prepare(
    const OverlayPlan& plan, const InstallInspection& inspection) const
{
    if (!inspection.instanceRoot)
        throw OrvaneError::tekkitMissing();
    std::vector<PendingWrite> writes;
    writes.push_back(prepareOptions(plan, *inspection.instanceRoot));
    writes.push_back(prepareRunData(plan, *inspection.instanceRoot));
    if (inspection.technicRoot) {
        const auto settings = *inspection.technicRoot / "settings.json";
        if (entryExists(settings))
            writes.push_back(prepareSettings(plan, settings));
    }
    return writes;
}

TransactionalInstaller::PendingWrite TransactionalInstaller::prepareOptions(
    const OverlayPlan& plan, const std::filesystem::path& instanceRoot) const
{
    const auto file = instanceRoot / "options.txt";
    OptionsFile options;
    if (entryExists(file)) {
        const auto text = strictUtf8(m_files->readRegularFile(file, technicFileByteLimit, false));
        if (!text)
            throw OrvaneError::io(QStringLiteral("%1 is not UTF-8 text.").arg(pathText(file)));
        options = OptionsFile(*text);
    }
    // Ascending key order, for an existing file and a new one alike.
    QMap<QString, QString> values;
    for (const auto& [key, value] : plan.options)
        values.insert(key, value);
    options = options.applying(values);
    return {file, options.text().toUtf8(), existingModeOr(file, 0644), values.keys()};
}

TransactionalInstaller::PendingWrite TransactionalInstaller::prepareRunData(
    const OverlayPlan& plan, const std::filesystem::path& instanceRoot) const
{
    const auto file = instanceRoot / "bin" / "runData";
    QJsonObject runData;
    if (entryExists(file))
        runData = runDataObject(m_files->readRegularFile(file, technicFileByteLimit, false));
    runData.insert(QStringLiteral("memory"), QString::number(plan.memoryMegabytes));
    QStringList keys{QStringLiteral("memory")};
    if (!runData.contains(QStringLiteral("java"))) {
        runData.insert(QStringLiteral("java"), QStringLiteral("1.8"));
        keys.append(QStringLiteral("java"));
    }
    return {file, technicJson(runData), existingModeOr(file, 0644), keys};
}

QJsonObject TransactionalInstaller::runDataObject(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw OrvaneError::overlayRefused(QStringLiteral("bin/runData is invalid JSON. Orvane will not overwrite it."));
    if (!document.isObject())
        throw OrvaneError::overlayRefused(
            QStringLiteral("bin/runData is not a JSON object. Orvane will not overwrite it."));
    return document.object();
}

TransactionalInstaller::PendingWrite TransactionalInstaller::prepareSettings(
    const OverlayPlan& plan, const std::filesystem::path& settings) const
{
    QJsonObject object = parseJsonObject(m_files->readRegularFile(settings, technicFileByteLimit, false),
                                         QStringLiteral("settings.json"));
    object.insert(QStringLiteral("memory"), qint64(plan.memorySettingsId));
    QStringList keys{QStringLiteral("memory")};
    if (plan.disableMojangJava || plan.enableMojangJava) {
        object.insert(QStringLiteral("useMojangJava"), plan.enableMojangJava && !plan.disableMojangJava);
        keys.append(QStringLiteral("useMojangJava"));
    }
    return {settings, technicJson(object), existingModeOr(settings, 0644), keys};
}

} // namespace orvane
