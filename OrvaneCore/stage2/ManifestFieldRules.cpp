#include "stage2/ManifestFieldRules.h"

#include "model/OrvaneError.h"
#include "stage2/UnicodeTextChecks.h"

namespace orvane {

namespace {

[[noreturn]] void refuseField(const QString& label)
{
    throw OrvaneError::policyDenied(QStringLiteral("Artifact manifest has an invalid %1.").arg(label));
}

} // namespace

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
        refuseField(label);
}

void validateTextField(QStringView text, const QString& label, qsizetype maximumBytes)
{
    // An unpaired surrogate has no UTF-8 form, so its length could not be measured honestly.
    if (text.isEmpty() || hasUnpairedSurrogate(text) || utf8ByteCount(text) > maximumBytes)
        refuseField(label);
    // QChar::isSpace covers the Unicode separators, tab to carriage return and U+0085.
    if (text.trimmed().size() != text.size())
        refuseField(label);
    if (containsControlCharacter(text))
        refuseField(label);
}

bool isValidSha256Digest(QStringView text)
{
    if (text.size() != 64)
        return false;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (!((u >= '0' && u <= '9') || (u >= 'a' && u <= 'f')))
            return false;
    }
    return true;
}

} // namespace orvane
