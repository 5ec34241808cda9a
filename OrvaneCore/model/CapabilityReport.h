#pragma once

#include "json/JsonCodecs.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

#include <cstdint>

namespace orvane {

// The facts about this computer that the companion reads without changing anything.
struct CapabilityReport {
    QString chipBrand;
    QString hardwareModel;
    QString architecture; // "arm64" on Apple silicon
    std::uint64_t physicalMemoryBytes = 0;
    double physicalMemoryGigabytes = 0; // bytes / 2^30
    double backingScale = 1;
    std::int64_t displayWidth = 0;
    std::int64_t displayHeight = 0;
    bool isRetina = false;
    std::uint64_t volumeAvailableBytes = 0;
    bool currentProcessTranslated = false;
    bool rosettaInstalled = false;
    QString osVersion;
    QDateTime capturedAt;

    // Whole mebibytes, rounded down; not stored.
    std::int64_t physicalMemoryMegabytes() const { return std::int64_t(physicalMemoryBytes >> 20); }

    bool operator==(const CapabilityReport&) const = default;
};

QJsonObject toJson(const CapabilityReport& report);
template <>
CapabilityReport fromJson<CapabilityReport>(const QJsonValue& value);

} // namespace orvane
