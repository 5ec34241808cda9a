#pragma once

#include "model/PackDescriptor.h"

#include <QUuid>

#include <filesystem>
#include <optional>

namespace orvane {

// What the session hands a provider for one launch. Compared only; never written as JSON.
struct PackLaunchRequest {
    QUuid operationID; // every event and the result must carry it
    PackDescriptor pack;
    std::optional<std::filesystem::path> providerApplication; // the launcher to open, when known
    std::optional<std::filesystem::path> providerDataRoot;    // the launcher's data folder, when known
    std::optional<std::filesystem::path> instanceRoot;        // the pack's instance folder, when known

    bool operator==(const PackLaunchRequest&) const = default;
};

} // namespace orvane
