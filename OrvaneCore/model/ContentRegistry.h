#pragma once

#include "model/ContentRightsRecord.h"

#include <QJsonObject>

#include <cstdint>
#include <vector>

namespace orvane {

// The content of the registry file: its records in file order. `version` is not interpreted.
struct ContentRegistry {
    std::int64_t version = 0;
    std::vector<ContentRightsRecord> records;

    bool operator==(const ContentRegistry&) const = default;
};

QJsonObject toJson(const ContentRegistry& registry);
template <>
ContentRegistry fromJson<ContentRegistry>(const QJsonValue& value);

} // namespace orvane
