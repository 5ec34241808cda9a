#pragma once

#include "stage2/ArtifactManifestValidator.h"

#include "PolicyRefusal.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <stdexcept>

namespace orvane::test {

// Manifests, rights records and the caller's context that the manifest checks judge.

inline const QDateTime now = QDateTime(QDate(2026, 3, 1), QTime(12, 0), Qt::UTC);
inline const QString digestA = QString(64, u'a');
inline const QString digestB = QString(64, u'b');
inline constexpr std::uint64_t gib8 = 8'589'934'592;

inline ContentRightsRecord rightsRecord(const QString& id, const QString& sha256, const QString& source)
{
    ContentRightsRecord r;
    r.id = id;
    r.owner = QStringLiteral("Example Owner");
    r.canonicalSource = source;
    r.version = QStringLiteral("1.0");
    r.sha256 = sha256;
    r.license = QStringLiteral("MIT");
    r.deliveryMethod = QStringLiteral("authorizedProvider");
    r.modificationPolicy = QStringLiteral("none");
    r.credit = QStringLiteral("Example");
    r.reviewExpires = QStringLiteral("2027-01-01");
    r.permitted = true;
    return r;
}

inline AuthorizedArtifact artifact(const QString& id, const QString& path, const QString& record,
                                  const QString& sha256, const QString& source)
{
    return {id, QStringLiteral("1.0"), source, path, sha256, 100, QStringLiteral("MIT"), record};
}

// A consistent world: one manifest, the registry that authorises it and the caller's context.
struct ManifestWorld {
    AuthorizedArtifactManifest manifest;
    ArtifactManifestContext context{QStringLiteral("tekkit-2"), QStringLiteral("example-provider"),
                                    QStringLiteral("1.2.6")};
    ContentRegistry registry;
    QDateTime at = now;

    ManifestWorld()
    {
        manifest.schemaVersion = 1;
        manifest.id = QStringLiteral("manifest-1");
        manifest.packID = context.packID;
        manifest.providerID = context.providerID;
        manifest.packVersion = context.packVersion;
        manifest.issuedAt = now.addSecs(-60);
        manifest.expiresAt = now.addSecs(3600);
        const QString sourceA = QStringLiteral("https://cdn.example.com/files/a.jar");
        const QString sourceB = QStringLiteral("https://cdn.example.com/files/b.jar");
        manifest.artifacts = {artifact(QStringLiteral("mod-a"), QStringLiteral("mods/a.jar"), QStringLiteral("rec-a"),
                                       digestA, sourceA),
                              artifact(QStringLiteral("mod-b"), QStringLiteral("mods/b.jar"), QStringLiteral("rec-b"),
                                       digestB, sourceB)};
        registry.version = 1;
        registry.records = {rightsRecord(QStringLiteral("rec-a"), digestA, sourceA),
                            rightsRecord(QStringLiteral("rec-b"), digestB, sourceB)};
    }

    ContentRightsRecord& record(const char* id)
    {
        for (auto& r : registry.records) {
            if (r.id == QLatin1String(id))
                return r;
        }
        throw std::logic_error("no such record");
    }

    ValidatedArtifactManifest validate() const
    {
        const ArtifactManifestValidator validator(ContentPolicyEngine{registry, at}, context, at);
        return validator.validate(VerifiedArtifactManifest{QStringLiteral("key-1"), digestA, manifest});
    }

    QString refusal() const
    {
        return policyRefusal([&] { validate(); });
    }
};

} // namespace orvane::test
