#include "stage2/ArtifactManifestValidator.h"

#include "support/QtPrinters.h"
#include "ManifestWorld.h"
#include "PolicyRefusal.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>

using namespace orvane;
using orvane::test::policyRefusal;
using namespace orvane::test;

namespace {

TEST(ArtifactManifestValidator, acceptsAConsistentManifestAndKeepsItUnchanged)
{
    const ManifestWorld s;
    const ValidatedArtifactManifest result = s.validate();
    EXPECT_EQ(result.manifest, s.manifest);
    ASSERT_EQ(result.artifacts.size(), 2u);
    EXPECT_EQ(result.artifacts[0].artifact, s.manifest.artifacts[0]);
    EXPECT_EQ(result.artifacts[0].relativePath.rawValue(), QStringLiteral("mods/a.jar"));
    EXPECT_EQ(result.artifacts[1].relativePath.rawValue(), QStringLiteral("mods/b.jar"));
}

// Starts from a manifest with every fault at once and repairs one at a time: each refusal must be
// the next one in the checking order, with its exact text.
TEST(ArtifactManifestValidator, reportsFaultsInCheckingOrder)
{
    ManifestWorld s;
    AuthorizedArtifactManifest& m = s.manifest;
    m.schemaVersion = 2;
    m.id = QStringLiteral("Manifest");
    m.packID = QString();
    m.providerID = QStringLiteral("example provider");
    m.packVersion = QStringLiteral(" 1.2.7");
    s.context.packID = QStringLiteral("tekkit 2");
    s.context.providerID = QStringLiteral("Example");
    s.context.packVersion = QString();
    m.issuedAt = now.addSecs(301);
    m.expiresAt = now;

    AuthorizedArtifact second = m.artifacts[1];
    second.id = QStringLiteral("Mod-A");
    second.version = QStringLiteral("1.0\t");
    second.license = QStringLiteral("MIT ");
    second.rightsRecordID = QStringLiteral("Rec-B");
    second.relativePath = QStringLiteral("../b.jar");
    second.byteCount = 0;
    second.sha256 = digestB.toUpper();
    second.sourceURL = QStringLiteral("https://user@cdn.example.com/files/b.jar");
    s.record("rec-b").revoked = true;
    s.record("rec-b").deliveryMethod = QStringLiteral("bundled");
    s.record("rec-b").license = QStringLiteral("Apache-2.0");
    s.record("rec-b").version = QStringLiteral("2.0");
    s.record("rec-b").sha256.reset();
    s.record("rec-b").canonicalSource = QStringLiteral("not a url");
    AuthorizedArtifact third = artifact(QStringLiteral("mod-c"), QStringLiteral("Mods"), QStringLiteral("rec-a"),
                                        digestA, QStringLiteral("https://cdn.example.com/files/a.jar"));
    m.artifacts = {m.artifacts[0], second, third};
    const std::vector<AuthorizedArtifact> faulty = m.artifacts;
    while (m.artifacts.size() <= ArtifactManifestValidator::maximumArtifactCount)
        m.artifacts.push_back(m.artifacts[0]);

    // Looked up on every use: shrinking the list below may move its elements.
    const auto b = [&]() -> AuthorizedArtifact& { return m.artifacts[1]; };
    const std::vector<std::pair<const char*, std::function<void()>>> steps = {
        {"Unsupported artifact manifest schema: 2", [&] { m.schemaVersion = 1; }},
        {"Artifact manifest has an invalid manifest id.", [&] { m.id = QStringLiteral("manifest-1"); }},
        {"Artifact manifest has an invalid pack id.", [&] { m.packID = QStringLiteral("tekkit-2"); }},
        {"Artifact manifest has an invalid provider id.", [&] { m.providerID = QStringLiteral("example-provider"); }},
        {"Artifact manifest has an invalid pack version.", [&] { m.packVersion = QStringLiteral("1.2.7"); }},
        {"Artifact manifest has an invalid expected pack id.", [&] { s.context.packID = QStringLiteral("tekkit-2"); }},
        {"Artifact manifest has an invalid expected provider id.",
         [&] { s.context.providerID = QStringLiteral("example-provider"); }},
        {"Artifact manifest has an invalid expected pack version.",
         [&] { s.context.packVersion = QStringLiteral("1.2.6"); }},
        {"Artifact manifest does not match the requested pack context.",
         [&] { m.packVersion = QStringLiteral("1.2.6"); }},
        {"Artifact manifest issue date is in the future.", [&] { m.issuedAt = now.addSecs(-60); }},
        {"Artifact manifest is expired or has an invalid validity period.",
         [&] { m.expiresAt = now.addSecs(3600); }},
        {"Artifact manifest has an invalid artifact count.", [&] { m.artifacts = faulty; }},
        {"Artifact manifest has an invalid artifact id.", [&] { b().id = QStringLiteral("mod-a"); }},
        {"Artifact manifest has an invalid artifact version.", [&] { b().version = QStringLiteral("1.0"); }},
        {"Artifact manifest has an invalid artifact license.", [&] { b().license = QStringLiteral("MIT"); }},
        {"Artifact manifest has an invalid rights record id.", [&] { b().rightsRecordID = QStringLiteral("rec-x"); }},
        {"Duplicate artifact id: mod-a", [&] { b().id = QStringLiteral("mod-b"); }},
        {"Unsafe relative path: ../b.jar", [&] { b().relativePath = QStringLiteral("config/SAVES/b.dat"); }},
        {"Artifact targets the world-save directory: config/SAVES/b.dat",
         [&] { b().relativePath = QStringLiteral("Mods/A.jar"); }},
        {"Duplicate or case-colliding artifact path: Mods/A.jar", [&] { b().relativePath = QStringLiteral("mods/b.jar"); }},
        {"Artifact has an invalid declared size: mod-b", [&] { b().byteCount = gib8; }},
        {"Artifact has an invalid SHA-256 digest: mod-b", [&] { b().sha256 = digestB; }},
        {"Unknown artifact rights record: rec-x", [&] { b().rightsRecordID = QStringLiteral("rec-b"); }},
        {"Revoked component: rec-b", [&] { s.record("rec-b").revoked = false; }},
        {"Rights record does not authorize artifact delivery: rec-b",
         [&] { s.record("rec-b").deliveryMethod = QStringLiteral("mojangOfficial"); }},
        {"Artifact license does not match its rights record: mod-b",
         [&] { s.record("rec-b").license = QStringLiteral("MIT"); }},
        {"Artifact version does not match its rights record: mod-b", [&] { s.record("rec-b").version = u"*"_qs; }},
        {"Artifact digest is not pinned by its rights record: mod-b", [&] { s.record("rec-b").sha256 = digestB; }},
        {"Artifact rights record has an invalid canonical source: mod-b",
         [&] { s.record("rec-b").canonicalSource = QStringLiteral("https://CDN.example.com:443/files/b.jar"); }},
        {"Artifact source is not a normalized HTTPS URL: mod-b",
         [&] { b().sourceURL = QStringLiteral("https://cdn.example.com/files/./b.jar"); }},
        {"Artifact source has an unsafe or ambiguous path: mod-b",
         [&] { b().sourceURL = QStringLiteral("https://cdn.example.com/files/B.jar"); }},
        {"Artifact source does not exactly match its rights record: mod-b",
         [&] { b().sourceURL = QStringLiteral("HTTPS://cdn.example.com/files/b.jar"); }},
        {"Artifact path conflicts with a descendant: mods/a.jar",
         [&] { m.artifacts[2].relativePath = QStringLiteral("config/c.cfg"); }},
    };
    for (const auto& [expected, repair] : steps) {
        ASSERT_EQ(s.refusal(), QString::fromUtf8(expected));
        repair();
    }
    const ValidatedArtifactManifest result = s.validate();
    EXPECT_EQ(result.artifacts.size(), 3u);
    EXPECT_EQ(result.artifacts[2].relativePath.rawValue(), QStringLiteral("config/c.cfg"));
}

TEST(ArtifactManifestValidator, datesAreJudgedAtTheirBoundaries)
{
    ManifestWorld s;
    s.manifest.issuedAt = now.addSecs(300);
    s.manifest.expiresAt = now.addSecs(600);
    EXPECT_NO_THROW(s.validate());
    s.manifest.issuedAt = now.addSecs(301);
    EXPECT_EQ(s.refusal(), QStringLiteral("Artifact manifest issue date is in the future."));

    const QString period = QStringLiteral("Artifact manifest is expired or has an invalid validity period.");
    s.manifest.issuedAt = now.addSecs(-100);
    s.manifest.expiresAt = now;
    EXPECT_EQ(s.refusal(), period);
    s.manifest.expiresAt = s.manifest.issuedAt.addSecs(604'800);
    EXPECT_NO_THROW(s.validate());
    s.manifest.expiresAt = s.manifest.issuedAt.addSecs(604'801);
    EXPECT_EQ(s.refusal(), period);
    s.manifest.issuedAt = now.addSecs(200);
    s.manifest.expiresAt = s.manifest.issuedAt;
    EXPECT_EQ(s.refusal(), period);
    // Less than a second of validity is still a period; a negative one is not.
    s.manifest.expiresAt = s.manifest.issuedAt.addMSecs(1);
    EXPECT_NO_THROW(s.validate());
    s.manifest.expiresAt = s.manifest.issuedAt.addMSecs(-1);
    EXPECT_EQ(s.refusal(), period);

    s.manifest.issuedAt = QDateTime();
    EXPECT_EQ(s.refusal(), QStringLiteral("Artifact manifest issue date is in the future."));
}

TEST(ArtifactManifestValidator, artifactCountIsBounded)
{
    ManifestWorld s;
    s.manifest.artifacts.clear();
    EXPECT_EQ(s.refusal(), QStringLiteral("Artifact manifest has an invalid artifact count."));

    const AuthorizedArtifact model = ManifestWorld().manifest.artifacts[0];
    for (std::size_t i = 0; i < ArtifactManifestValidator::maximumArtifactCount; ++i) {
        AuthorizedArtifact a = model;
        a.id = QStringLiteral("mod-%1").arg(i);
        a.relativePath = QStringLiteral("mods/%1.jar").arg(i);
        s.manifest.artifacts.push_back(a);
    }
    EXPECT_EQ(s.validate().artifacts.size(), 10'000u);
    s.manifest.artifacts.push_back(model);
    EXPECT_EQ(s.refusal(), QStringLiteral("Artifact manifest has an invalid artifact count."));
}

TEST(ArtifactManifestValidator, declaredSizesAndTheirTotalAreBounded)
{
    ManifestWorld s;
    s.manifest.artifacts[0].byteCount = gib8;
    EXPECT_NO_THROW(s.validate());
    s.manifest.artifacts[0].byteCount = gib8 + 1;
    EXPECT_EQ(s.refusal(), QStringLiteral("Artifact has an invalid declared size: mod-a"));

    ManifestWorld big;
    const AuthorizedArtifact model = big.manifest.artifacts[0];
    big.manifest.artifacts.clear();
    for (int i = 0; i < 5; ++i) {
        AuthorizedArtifact a = model;
        a.id = QStringLiteral("mod-%1").arg(i);
        a.relativePath = QStringLiteral("mods/%1.jar").arg(i);
        a.byteCount = gib8;
        big.manifest.artifacts.push_back(a);
    }
    // The fifth artifact would also fail its digest: the total is refused before it is looked at.
    big.manifest.artifacts[4].sha256 = QStringLiteral("not a digest");
    EXPECT_EQ(big.refusal(), QStringLiteral("Artifact manifest exceeds its allowed total size."));
    big.manifest.artifacts.pop_back();
    EXPECT_NO_THROW(big.validate());
}

TEST(ArtifactManifestValidator, digestsMustBeLowercaseHexOfExactLength)
{
    for (const QString& bad : {digestA.toUpper(), digestA.left(63), digestA + u'a', QString(63, u'a') + u'g'}) {
        ManifestWorld s;
        s.manifest.artifacts[0].sha256 = bad;
        EXPECT_EQ(s.refusal(), QStringLiteral("Artifact has an invalid SHA-256 digest: mod-a")) << bad.toStdString();
    }
    // A record pinning a malformed digest pins nothing, even when the artifact repeats it.
    ManifestWorld s;
    s.record("rec-a").sha256 = digestA.toUpper();
    EXPECT_EQ(s.refusal(), QStringLiteral("Artifact digest is not pinned by its rights record: mod-a"));
}

TEST(ArtifactManifestValidator, licenseTextRule)
{
    const QString refusal = QStringLiteral("Artifact manifest has an invalid artifact license.");
    for (const QString& bad : {u"MIT "_qs, u"MIT\n"_qs, u"\u00A0MIT"_qs, u"MI\u007FT"_qs, QString(4097, u'x'),
                               QString(2049, u'\u00E9')}) {
        ManifestWorld s;
        s.manifest.artifacts[0].license = bad;
        EXPECT_EQ(s.refusal(), refusal) << bad.left(20).toStdString();
    }
    ManifestWorld s;
    const QString longest = QString(4094, u'x') + u'\u00E9';
    s.manifest.artifacts[0].license = longest;
    s.record("rec-a").license = longest;
    EXPECT_NO_THROW(s.validate());
    // U+0085 is no control character, but it is white space and may not end the text.
    s.manifest.artifacts[0].license = QStringLiteral("GPL-3.0 or later\u0085");
    EXPECT_EQ(s.refusal(), refusal);
}

TEST(ArtifactManifestValidator, descendantConflictsInEitherOrder)
{
    for (const bool fileFirst : {true, false}) {
        ManifestWorld s;
        s.manifest.artifacts[0].relativePath = QStringLiteral("mods/x.jar");
        s.manifest.artifacts[1].relativePath = QStringLiteral("mods");
        if (!fileFirst)
            std::swap(s.manifest.artifacts[0], s.manifest.artifacts[1]);
        EXPECT_EQ(s.refusal(), QStringLiteral("Artifact path conflicts with a descendant: mods/x.jar"));
    }
    ManifestWorld s;
    s.manifest.artifacts[0].relativePath = QStringLiteral("mods");
    s.manifest.artifacts[1].relativePath = QStringLiteral("Mods/deep/x.jar");
    EXPECT_EQ(s.refusal(), QStringLiteral("Artifact path conflicts with a descendant: Mods/deep/x.jar"));
    // A shared prefix without a "/" boundary is no conflict.
    s.manifest.artifacts[1].relativePath = QStringLiteral("mods2/x.jar");
    EXPECT_NO_THROW(s.validate());
}

TEST(ArtifactManifestValidator, pathsACaseFoldingVolumeJoinsAreOnePath)
{
    struct Case {
        const char16_t* first;
        const char16_t* second;
        const char* refusal;
    };
    const Case cases[] = {
        {u"mods/\u03c3.jar", u"mods/\u03c2.jar", "Duplicate or case-colliding artifact path: mods/\u03c2.jar"},
        {u"mods/s.jar", u"mods/\u017f.jar", "Duplicate or case-colliding artifact path: mods/\u017f.jar"},
        {u"\u017f", u"S/x", "Artifact path conflicts with a descendant: S/x"},
        {u"S/x", u"\u017f", "Artifact path conflicts with a descendant: S/x"},
        {u"mods/\u00df.jar", u"mods/ss.jar", "Duplicate or case-colliding artifact path: mods/ss.jar"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.refusal);
        ManifestWorld s;
        s.manifest.artifacts[0].relativePath = QString::fromUtf16(c.first);
        s.manifest.artifacts[1].relativePath = QString::fromUtf16(c.second);
        EXPECT_EQ(s.refusal(), QString::fromUtf8(c.refusal));
    }
}

} // namespace
