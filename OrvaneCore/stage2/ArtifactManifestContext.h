#pragma once

#include "json/JsonCodecs.h"

#include <QJsonObject>
#include <QString>

namespace orvane {

// What the caller asked to install; a manifest is trusted only for exactly this pack.
struct ArtifactManifestContext {
    QString packID;
    QString providerID;
    QString packVersion;

    bool operator==(const ArtifactManifestContext&) const = default;
};

QJsonObject toJson(const ArtifactManifestContext& context);
// All three keys required.
template <>
ArtifactManifestContext fromJson<ArtifactManifestContext>(const QJsonValue& value);

} // namespace orvane
