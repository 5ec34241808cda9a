#pragma once

#include "model/ContentPolicyEngine.h"
#include "model/ContentRightsRecord.h"
#include "stage2/ArtifactManifestContext.h"
#include "stage2/ArtifactManifestSignatureVerifier.h"
#include "stage2/AuthorizedArtifactManifest.h"
#include "stage2/ValidatedArtifactManifest.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>
#include <vector>

namespace orvane {

// Decides whether a manifest whose signature holds may be trusted for the pack the caller asked
// for: context, dates, counts, sizes, digests and paths, and for every artifact a content-rights
// record that authorises its delivery, pins its digest and names its exact source. Writes nothing;
// every refusal is OrvaneError::policyDenied, the policy's own refusals pass through unchanged.
class ArtifactManifestValidator final {
public:
    static constexpr std::int64_t supportedSchemaVersion = 1;
    static constexpr std::size_t maximumArtifactCount = 10'000;
    static constexpr std::uint64_t maximumArtifactByteCount = 8'589'934'592;   // 8 GiB
    static constexpr std::uint64_t maximumTotalByteCount = 34'359'738'368;     // 32 GiB
    static constexpr std::int64_t maximumValiditySeconds = 604'800;            // 7 days
    static constexpr std::int64_t maximumIssueClockSkewSeconds = 300;
    static constexpr std::array<QStringView, 2> allowedDeliveryMethods{u"authorizedProvider", u"mojangOfficial"};
    static constexpr qsizetype maximumSourceURLByteCount = 2048;
    static constexpr qsizetype maximumSourcePathByteCount = 1024;

    ArtifactManifestValidator(ContentPolicyEngine policy, ArtifactManifestContext expectedContext, QDateTime now);

    // Examines only the manifest of `verified`; the first problem throws.
    ValidatedArtifactManifest validate(const VerifiedArtifactManifest& verified) const;

    // The artifact's source and the record's canonical source must normalise to the same text.
    static void checkSource(const AuthorizedArtifact& artifact, const ContentRightsRecord& record);

    // "https://" + lower-case host + path, with a port 443 dropped. Refuses, naming `artifactID`,
    // anything that could spell one location in two ways: user information, a query or fragment
    // (even empty), another port, a percent escape or any character that would need one, and
    // empty, "." or ".." path pieces.
    static QString normalizedHTTPSURL(const QString& url, const QString& artifactID);

    // No path may stand where another needs a folder: refuses the first path one of whose leading
    // parts is itself an artifact's path, compared by collision key.
    static void checkNoDescendantConflicts(const std::vector<ValidatedArtifact>& artifacts);

    const ContentPolicyEngine& policy() const { return m_policy; }
    const ArtifactManifestContext& expectedContext() const { return m_expectedContext; }
    const QDateTime& now() const { return m_now; }

private:
    void checkContextAndDates(const AuthorizedArtifactManifest& manifest) const;
    void checkRights(const AuthorizedArtifact& artifact) const;

    ContentPolicyEngine m_policy;
    ArtifactManifestContext m_expectedContext;
    QDateTime m_now;
};

} // namespace orvane
