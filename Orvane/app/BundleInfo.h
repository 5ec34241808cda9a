#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace orvane {

// The running application's version keys, compiled in from the build (project version and build
// number). Either may be missing in a test.
struct BundleInfo {
    std::optional<QString> shortVersion; // "0.1.0"
    std::optional<QString> buildVersion; // "41"

    // This build's own keys.
    static BundleInfo current();

    // The short version, "0.0.0" when missing.
    QString runningVersion() const;
    // The build as a decimal integer (an optional sign, digits only), 0 when missing or not one.
    std::int64_t runningBuild() const;

    bool operator==(const BundleInfo&) const = default;
};

} // namespace orvane
