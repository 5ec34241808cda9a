#pragma once

#include "model/ContentRegistry.h"

#include <QDateTime>
#include <QString>

#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// Checks the components a profile or manifest requires against the content-rights registry, judged
// at `now`, which is fixed when the engine is made. Made for one operation; nothing is cached.
struct ContentPolicyEngine {
    ContentRegistry registry;
    QDateTime now;

    // The engine for the embedded registry ("content-rights.json") at the current instant. Throws
    // OrvaneError::policyDenied when it is missing; read and decoding errors pass through unchanged.
    static ContentPolicyEngine loadFromResources();

    // Passes silently or throws OrvaneError::policyDenied naming the first component that is unknown,
    // revoked, not permitted, out of review or forbidden to deliver, checked in that order.
    void authorize(const std::vector<QString>& requiredComponents) const;

    // The first record whose id equals `id` exactly.
    std::optional<ContentRightsRecord> record(const QString& id) const;

    // Keeps the overlay to configuration files: throws OrvaneError::overlayRefused for the first
    // path ending in ".jar" or ".zip" in any letter case.
    static void refuseNonOverlayPaths(const std::vector<QString>& relativePaths);

    bool operator==(const ContentPolicyEngine&) const = default;
};

// The instant a review date ("YYYY-MM-DD", exactly) runs out: midnight UTC of that day. Nothing for
// any other form or an impossible day such as "2026-02-30".
std::optional<QDateTime> reviewExpiryInstant(const QString& reviewExpires);

} // namespace orvane
