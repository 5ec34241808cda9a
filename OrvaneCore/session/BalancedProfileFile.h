#pragma once

#include "json/JsonCodecs.h"
#include "model/StringMap.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace orvane {

// The Balanced overlay as the core ships it ("balanced.profile.json"), before it is fitted to a machine.
struct BalancedProfileFile {
    QString id;
    QString title;
    std::vector<QString> requiredComponents; // content-rights component ids
    StringMap options;                       // options.txt names and values
    std::vector<QString> notes;

    bool operator==(const BalancedProfileFile&) const = default;
};

// All five keys are written; all five are required on reading, other keys are ignored.
QJsonObject toJson(const BalancedProfileFile& profile);
template <>
BalancedProfileFile fromJson<BalancedProfileFile>(const QJsonValue& value);

} // namespace orvane
