#include "stage2/ArtifactManifestValidator.h"

#include "model/OrvaneError.h"
#include "stage2/ManifestFieldRules.h"
#include "stage2/SafeRelativePath.h"
#include "stage2/UnicodeTextChecks.h"

#include <QSet>
#include <QUrl>

#include <algorithm>
#include <utility>

namespace orvane {

namespace {

[[noreturn]] void refuse(const char* text, const QString& subject = QString())
{
    throw OrvaneError::policyDenied(QString::fromUtf8(text) + subject);
}

// The characters a percent-encoded URL path holds literally (RFC 3986 pchar and "/", without "%").
// Anything else, non-ASCII included, would appear there as a percent escape.
bool isLiteralPathCharacter(QChar c)
{
    const char16_t u = c.unicode();
    if ((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9'))
        return true;
    return u < 0x80 && QStringView(u"-._~!$&'()*+,;=:@/").contains(c);
}

[[noreturn]] void refuseSourceForm(const QString& artifactID)
{
    refuse("Artifact source is not a normalized HTTPS URL: ", artifactID);
}

} // namespace

ArtifactManifestValidator::ArtifactManifestValidator(ContentPolicyEngine policy, ArtifactManifestContext expectedContext,
                                                     QDateTime now)
    : m_policy(std::move(policy)), m_expectedContext(std::move(expectedContext)), m_now(std::move(now))
{
}

void ArtifactManifestValidator::checkContextAndDates(const AuthorizedArtifactManifest& manifest) const
{
    if (manifest.schemaVersion != supportedSchemaVersion)
        refuse("Unsupported artifact manifest schema: ", QString::number(manifest.schemaVersion));

    requireManifestIdentifier(manifest.id, QStringLiteral("manifest id"));
    requireManifestIdentifier(manifest.packID, QStringLiteral("pack id"));
    requireManifestIdentifier(manifest.providerID, QStringLiteral("provider id"));
    validateTextField(manifest.packVersion, QStringLiteral("pack version"), maximumManifestVersionBytes);

    requireManifestIdentifier(m_expectedContext.packID, QStringLiteral("expected pack id"));
    requireManifestIdentifier(m_expectedContext.providerID, QStringLiteral("expected provider id"));
    validateTextField(m_expectedContext.packVersion, QStringLiteral("expected pack version"),
                      maximumManifestVersionBytes);

    if (manifest.packID != m_expectedContext.packID || manifest.providerID != m_expectedContext.providerID
        || manifest.packVersion != m_expectedContext.packVersion)
        refuse("Artifact manifest does not match the requested pack context.");

    // An invalid date compares unpredictably, so it is refused rather than judged.
    if (!manifest.issuedAt.isValid() || !m_now.isValid()
        || manifest.issuedAt > m_now.addSecs(maximumIssueClockSkewSeconds))
        refuse("Artifact manifest issue date is in the future.");

    if (!manifest.expiresAt.isValid() || !(manifest.expiresAt > m_now))
        refuse("Artifact manifest is expired or has an invalid validity period.");
    const qint64 validity = manifest.issuedAt.msecsTo(manifest.expiresAt);
    if (validity <= 0 || validity > maximumValiditySeconds * 1000)
        refuse("Artifact manifest is expired or has an invalid validity period.");
}

void ArtifactManifestValidator::checkRights(const AuthorizedArtifact& artifact) const
{
    const std::optional<ContentRightsRecord> found = m_policy.record(artifact.rightsRecordID);
    if (!found)
        refuse("Unknown artifact rights record: ", artifact.rightsRecordID);
    const ContentRightsRecord& record = *found;

    m_policy.authorize({artifact.rightsRecordID});

    if (std::find(allowedDeliveryMethods.begin(), allowedDeliveryMethods.end(), QStringView(record.deliveryMethod))
        == allowedDeliveryMethods.end())
        refuse("Rights record does not authorize artifact delivery: ", artifact.rightsRecordID);
    if (artifact.license != record.license)
        refuse("Artifact license does not match its rights record: ", artifact.id);
    if (record.version != u"*" && record.version != artifact.version)
        refuse("Artifact version does not match its rights record: ", artifact.id);
    if (!record.sha256 || !isValidSha256Digest(*record.sha256) || *record.sha256 != artifact.sha256)
        refuse("Artifact digest is not pinned by its rights record: ", artifact.id);

    checkSource(artifact, record);
}

ValidatedArtifactManifest ArtifactManifestValidator::validate(const VerifiedArtifactManifest& verified) const
{
    const AuthorizedArtifactManifest& manifest = verified.manifest;
    checkContextAndDates(manifest);

    if (manifest.artifacts.empty() || manifest.artifacts.size() > maximumArtifactCount)
        refuse("Artifact manifest has an invalid artifact count.");

    ValidatedArtifactManifest result;
    result.manifest = manifest;
    result.artifacts.reserve(manifest.artifacts.size());
    QSet<QString> ids;
    QSet<QString> pathKeys;
    ids.reserve(qsizetype(manifest.artifacts.size()));
    pathKeys.reserve(qsizetype(manifest.artifacts.size()));
    std::uint64_t total = 0;

    for (const AuthorizedArtifact& artifact : manifest.artifacts) {
        requireManifestIdentifier(artifact.id, QStringLiteral("artifact id"));
        validateTextField(artifact.version, QStringLiteral("artifact version"), maximumManifestVersionBytes);
        validateTextField(artifact.license, QStringLiteral("artifact license"), maximumManifestLicenseBytes);
        requireManifestIdentifier(artifact.rightsRecordID, QStringLiteral("rights record id"));

        if (ids.contains(artifact.id))
            refuse("Duplicate artifact id: ", artifact.id);
        ids.insert(artifact.id);

        SafeRelativePath path(artifact.relativePath);
        if (isWorldSavePath(path.rawValue()))
            refuse("Artifact targets the world-save directory: ", path.rawValue());
        QString key = pathCollisionKey(path.rawValue());
        if (pathKeys.contains(key))
            refuse("Duplicate or case-colliding artifact path: ", path.rawValue());
        pathKeys.insert(std::move(key));

        if (artifact.byteCount < 1 || artifact.byteCount > maximumArtifactByteCount)
            refuse("Artifact has an invalid declared size: ", artifact.id);
        // Each size is bounded above, so this cannot wrap; the check keeps that true if the bounds move.
        std::uint64_t sum = 0;
        if (__builtin_add_overflow(total, artifact.byteCount, &sum) || sum > maximumTotalByteCount)
            refuse("Artifact manifest exceeds its allowed total size.");
        total = sum;

        if (!isValidSha256Digest(artifact.sha256))
            refuse("Artifact has an invalid SHA-256 digest: ", artifact.id);

        checkRights(artifact);
        result.artifacts.push_back({artifact, std::move(path)});
    }

    checkNoDescendantConflicts(result.artifacts);
    return result;
}

void ArtifactManifestValidator::checkSource(const AuthorizedArtifact& artifact, const ContentRightsRecord& record)
{
    if (!parsesAsURL(record.canonicalSource))
        refuse("Artifact rights record has an invalid canonical source: ", artifact.id);
    const QString source = normalizedHTTPSURL(artifact.sourceURL, artifact.id);
    const QString canonical = normalizedHTTPSURL(record.canonicalSource, artifact.id);
    if (source != canonical)
        refuse("Artifact source does not exactly match its rights record: ", artifact.id);
}

QString ArtifactManifestValidator::normalizedHTTPSURL(const QString& url, const QString& artifactID)
{
    if (hasUnpairedSurrogate(url) || utf8ByteCount(url) > maximumSourceURLByteCount || !parsesAsURL(url))
        refuseSourceForm(artifactID);
    const QUrl parsed(url, QUrl::StrictMode);

    // The components are read from the text itself: QUrl would decode escapes such as "%41" and
    // forget an empty user name ("https://@host/"), and both must stay visible here.
    const QStringView text(url);
    const qsizetype colon = text.indexOf(u':');
    if (colon <= 0 || text.left(colon).compare(u"https", Qt::CaseInsensitive) != 0)
        refuseSourceForm(artifactID);
    QStringView rest = text.mid(colon + 1);
    if (!rest.startsWith(u"//"))
        refuseSourceForm(artifactID);
    rest = rest.mid(2);
    // A "?" or "#" anywhere after the scheme opens a query or a fragment, even an empty one.
    if (rest.contains(u'?') || rest.contains(u'#'))
        refuseSourceForm(artifactID);
    const qsizetype slash = rest.indexOf(u'/');
    const QStringView authority = slash < 0 ? rest : rest.left(slash);
    const QStringView path = slash < 0 ? QStringView() : rest.mid(slash);

    if (authority.contains(u'@') || authority.contains(u'%'))
        refuseSourceForm(artifactID);
    QStringView host = authority;
    if (authority.startsWith(u'[')) {
        const qsizetype close = authority.indexOf(u']');
        if (close < 0)
            refuseSourceForm(artifactID);
        host = authority.left(close + 1);
    } else if (const qsizetype portColon = authority.lastIndexOf(u':'); portColon >= 0) {
        host = authority.left(portColon);
    }
    const QString lowerHost = host.toString().toLower();
    if (lowerHost.isEmpty())
        refuseSourceForm(artifactID);
    if (const int port = parsed.port(); port != -1 && port != 443)
        refuseSourceForm(artifactID);

    if (path.isEmpty() || !path.startsWith(u'/') || path.size() > maximumSourcePathByteCount
        || !std::all_of(path.begin(), path.end(), isLiteralPathCharacter))
        refuseSourceForm(artifactID);

    const QList<QStringView> pieces = path.split(u'/', Qt::KeepEmptyParts);
    for (qsizetype i = 1; i < pieces.size(); ++i) {
        if (pieces[i].isEmpty() || pieces[i] == u"." || pieces[i] == u"..")
            refuse("Artifact source has an unsafe or ambiguous path: ", artifactID);
    }

    return QStringLiteral("https://") + lowerHost + path.toString();
}

void ArtifactManifestValidator::checkNoDescendantConflicts(const std::vector<ValidatedArtifact>& artifacts)
{
    std::vector<QString> keys;
    keys.reserve(artifacts.size());
    QSet<QString> keySet;
    keySet.reserve(qsizetype(artifacts.size()));
    for (const ValidatedArtifact& a : artifacts) {
        keys.push_back(pathCollisionKey(a.relativePath.rawValue()));
        keySet.insert(keys.back());
    }
    for (std::size_t i = 0; i < artifacts.size(); ++i) {
        for (const QString& part : properLeadingParts(keys[i])) {
            if (keySet.contains(part))
                refuse("Artifact path conflicts with a descendant: ", artifacts[i].relativePath.rawValue());
        }
    }
}

} // namespace orvane
