#pragma once

#include "model/DiagnosticSummary.h"
#include "platform/FileOperations.h"
#include "records/Redaction.h"

#include <QDateTime>
#include <QString>

#include <filesystem>
#include <memory>

namespace orvane {

// Stores a diagnostic summary as a redacted JSON file, the support bundle. Keeps nothing between writes.
class SupportBundleWriter final {
public:
    SupportBundleWriter(std::filesystem::path directory, Redaction redaction,
                        std::shared_ptr<FileOperations> fileOperations = FileOperations::system());

    const std::filesystem::path& directory() const { return m_directory; }

    // Redacts the summary's log and preview, then the whole JSON once more; a bundle that no longer
    // reads back as a summary is refused with OrvaneError::io and nothing is written. A bundle of
    // the same second is replaced. Returns the file's path.
    std::filesystem::path write(const DiagnosticSummary& summary) const;

    // "orvane-diagnostic-<whole seconds since 1970, fraction cut off>.json"
    static QString fileName(const QDateTime& createdAt);

private:
    std::filesystem::path m_directory;
    Redaction m_redaction;
    std::shared_ptr<FileOperations> m_files;
};

} // namespace orvane
