#pragma once

#include <QString>
#include <QStringView>

namespace orvane {

constexpr qsizetype maximumManifestIdentifierBytes = 128;

// 1 to 128 bytes, each a-z, 0-9, "-", "." or "_" (ASCII only, so bytes and characters agree).
bool isValidManifestIdentifier(QStringView text);

// Throws OrvaneError::policyDenied("Artifact manifest has an invalid " + label + ".") unless `text`
// is a valid identifier.
void requireManifestIdentifier(QStringView text, const QString& label);

} // namespace orvane
