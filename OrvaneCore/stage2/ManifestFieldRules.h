#pragma once

#include <QString>
#include <QStringView>

namespace orvane {

constexpr qsizetype maximumManifestIdentifierBytes = 128;
constexpr qsizetype maximumManifestVersionBytes = 128;
constexpr qsizetype maximumManifestLicenseBytes = 4096;

// 1 to 128 bytes, each a-z, 0-9, "-", "." or "_" (ASCII only, so bytes and characters agree).
bool isValidManifestIdentifier(QStringView text);

// Throws OrvaneError::policyDenied("Artifact manifest has an invalid " + label + ".") unless `text`
// is a valid identifier.
void requireManifestIdentifier(QStringView text, const QString& label);

// Free text such as a version or a license: non-empty, at most `maximumBytes` UTF-8 bytes, without
// leading or trailing white space or line breaks and without control characters. Refuses as
// requireManifestIdentifier does.
void validateTextField(QStringView text, const QString& label, qsizetype maximumBytes);

// Exactly 64 characters, each 0-9 or a-f: the only spelling of a digest that compares exactly.
bool isValidSha256Digest(QStringView text);

} // namespace orvane
