#include "stage2/ManifestFieldRules.h"

#include "model/OrvaneError.h"

namespace orvane {

bool isValidManifestIdentifier(QStringView text)
{
    if (text.isEmpty() || text.size() > maximumManifestIdentifierBytes)
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool allowed = (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '-' || u == '.' || u == '_';
        if (!allowed)
            return false;
    }
    return true;
}

void requireManifestIdentifier(QStringView text, const QString& label)
{
    if (!isValidManifestIdentifier(text))
        throw OrvaneError::policyDenied(QStringLiteral("Artifact manifest has an invalid %1.").arg(label));
}

} // namespace orvane
