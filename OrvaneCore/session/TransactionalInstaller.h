#pragma once

#include "model/ContentPolicyEngine.h"
#include "model/InstallInspection.h"
#include "model/OverlayPlan.h"
#include "platform/FileOperations.h"

#include <QByteArray>
#include <QJsonObject>
#include <QStringList>

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

namespace orvane {

// Writes a Balanced plan into the install: the game options into options.txt, the heap into
// bin/runData and the memory id and Use Mojang Java into the launcher's settings.json. Every new
// content is prepared before the first write, so a refusal or a read error changes nothing; the
// writes then replace one whole file each. Undoing a partly written overlay is the caller's
// snapshot's task. Made for one operation.
class TransactionalInstaller final {
public:
    // One file's complete new content, with the permission bits it is written with, and the keys
    // (options, JSON members) the overlay sets in it.
    struct PendingWrite {
        std::filesystem::path file;
        QByteArray bytes;
        mode_t mode = 0644;
        QStringList keys;
        bool operator==(const PendingWrite&) const = default;
    };

    explicit TransactionalInstaller(std::shared_ptr<FileOperations> fileOperations);

    // Checks the plan's components against `policy`, prepares every file and writes them in order
    // (options.txt, bin/runData, settings.json). Throws OrvaneError::policyDenied, tekkitMissing,
    // overlayRefused for a bin/runData that is not a JSON object, io for such a settings.json, and
    // the platform's read and write errors as they come.
    // `beforeWriting` is called with every prepared write once all are prepared, before the first
    // is written; what it throws ends the call with nothing written.
    void apply(const OverlayPlan& plan, const InstallInspection& inspection, const ContentPolicyEngine& policy,
               const std::function<void(const std::vector<PendingWrite>&)>& beforeWriting = {}) const;

    // The writes apply() makes, in order, reading the current files but writing nothing. An existing
    // file keeps its permission bits; a new one is 0644. settings.json is edited only when it exists.
    std::vector<PendingWrite> prepare(const OverlayPlan& plan, const InstallInspection& inspection) const;

    // The object of a bin/runData the overlay may edit; OrvaneError::overlayRefused for invalid JSON
    // or another top level.
    static QJsonObject runDataObject(const QByteArray& bytes);

private:
    PendingWrite prepareOptions(const OverlayPlan& plan, const std::filesystem::path& instanceRoot) const;
    PendingWrite prepareRunData(const OverlayPlan& plan, const std::filesystem::path& instanceRoot) const;
    PendingWrite prepareSettings(const OverlayPlan& plan, const std::filesystem::path& settings) const;

    std::shared_ptr<FileOperations> m_files;
};

} // namespace orvane
