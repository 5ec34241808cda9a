#pragma once

#include "json/DescribedError.h"

#include <QString>

#include <filesystem>

namespace orvane {

// The one error type of the core. Each kind carries the sentence the user sees.
class OrvaneError final : public DescribedError {
public:
    enum class Kind {
        technicDataMissing,
        unsupportedPackVersion,
        unsupportedForge,
        backupCorrupt,
        restoreHashMismatch,
        applyFailedRollbackFailed,
        policyDenied,
        overlayRefused,
        io,
        invalidProfile,
        launchObservationFailed,
        technicAppMissing,
        tekkitMissing,
        minecraftRunning,
        technicRunning,
        backupMissing,
    };

    static OrvaneError technicDataMissing(const std::filesystem::path& folder);
    static OrvaneError unsupportedPackVersion(const QString& found, const QString& expected);
    static OrvaneError unsupportedForge(const QString& found, const QString& expected);
    static OrvaneError backupCorrupt(const QString& text);
    static OrvaneError restoreHashMismatch(const QString& path);
    static OrvaneError applyFailedRollbackFailed(const QString& apply, const QString& rollback);
    static OrvaneError policyDenied(const QString& text);
    static OrvaneError overlayRefused(const QString& text);
    static OrvaneError io(const QString& text);
    static OrvaneError invalidProfile(const QString& text);
    static OrvaneError launchObservationFailed(const QString& text);
    static OrvaneError technicAppMissing();
    static OrvaneError tekkitMissing();
    static OrvaneError minecraftRunning();
    static OrvaneError technicRunning();
    static OrvaneError backupMissing();

    Kind kind() const { return m_kind; }
    // The payload: the folder of technicDataMissing, the first text of the others (found, path, apply, text).
    const std::filesystem::path& folder() const { return m_folder; }
    const QString& text() const { return m_first; }

    friend bool operator==(const OrvaneError& a, const OrvaneError& b)
    {
        return a.m_kind == b.m_kind && a.m_folder == b.m_folder && a.m_first == b.m_first
            && a.m_second == b.m_second;
    }

private:
    OrvaneError(Kind kind, std::filesystem::path folder, QString first, QString second);
    static QString sentence(Kind kind, const std::filesystem::path& folder, const QString& first,
                            const QString& second);

    Kind m_kind;
    std::filesystem::path m_folder;
    QString m_first;
    QString m_second;
};

} // namespace orvane
