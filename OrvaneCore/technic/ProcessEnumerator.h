#pragma once

#include "platform/FileOperations.h"
#include "platform/HostArchitecture.h"
#include "platform/ProcessTable.h"
#include "technic/ProcessInspecting.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orvane {

// Answers the process questions from the live process table. Nothing is cached: every call looks
// at the table afresh, and a process that ends midway simply drops out of the answer.
class ProcessEnumerator final : public ProcessInspecting {
public:
    // `hostArchitecture` is what this machine runs natively ("arm64", "x86_64"): an x86_64 game
    // Java counts as translated only on an arm64 host.
    explicit ProcessEnumerator(std::shared_ptr<ProcessTable> table = ProcessTable::system(),
                               std::shared_ptr<FileOperations> files = FileOperations::system(),
                               QString hostArchitecture = orvane::hostArchitecture());

    bool isProcessRunning(const QString& nameContaining) const override;
    bool isApplicationRunning(const QString& bundleIdentifierPrefix) const override;
    bool isGameJavaRunning() const override;
    bool isTechnicLauncherJavaRunning() const override;
    std::optional<GameJavaArchitecture> gameJavaArchitecture() const override;

    // The pieces the answers are made of, each a fresh look at the table.
    std::vector<std::int32_t> processIDs() const;
    QStringList processNames() const;
    QStringList bundleIdentifiers() const;
    std::optional<QString> arguments(std::int32_t pid) const;
    std::vector<std::int32_t> gameJavaProcessIDs() const;
    std::optional<std::int32_t> gameJavaProcessID() const;
    GameJavaArchitecture architecture(std::int32_t pid) const;

    static bool hasTechnicLauncherMarker(const QString& text);
    static bool hasGameMarker(const QString& text);

private:
    bool isJava(std::int32_t pid) const;
    QString argumentsOrEmpty(std::int32_t pid) const;
    std::optional<QString> bundleIdentifier(std::int32_t pid) const;

    std::shared_ptr<ProcessTable> m_table;
    std::shared_ptr<FileOperations> m_files;
    QString m_hostArchitecture;
};

} // namespace orvane
