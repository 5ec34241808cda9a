#pragma once

#include "platform/FileOperations.h"
#include "records/LaunchReceipt.h"
#include "records/Redaction.h"

#include <QDateTime>
#include <QString>
#include <QUuid>

#include <filesystem>
#include <memory>

namespace orvane {

// Writes launch receipts into one folder that only the user can enter (0700); each receipt file is
// 0600 from the moment it exists. A short-lived value made per write.
class LaunchReceiptWriter final {
public:
    LaunchReceiptWriter(std::filesystem::path directory, Redaction redaction,
                        std::shared_ptr<FileOperations> fileOperations = FileOperations::system());

    const std::filesystem::path& directory() const { return m_directory; }

    // Encodes and redacts `receipt`, reads the result back and writes it only when it is the same
    // receipt (to the whole second); otherwise throws OrvaneError::io and writes nothing.
    // Returns the new file's path.
    std::filesystem::path write(const LaunchReceipt& receipt) const;

    // "orvane-launch-<milliseconds since 1970>-<lower-case uuid>.json"
    static QString fileName(const QDateTime& observedAt, const QUuid& uuid);

private:
    std::filesystem::path m_directory;
    Redaction m_redaction;
    std::shared_ptr<FileOperations> m_files;
};

} // namespace orvane
