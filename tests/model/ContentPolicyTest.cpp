#include "json/DecodingError.h"
#include "model/ContentPolicyEngine.h"
#include "model/CoreResources.h"
#include "model/OrvaneError.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>

using namespace orvane;

namespace {

const QDateTime noon(QDate(2026, 12, 9), QTime(12, 0, 0), Qt::UTC);

ContentRightsRecord clean(const QString& id)
{
    return ContentRightsRecord{id, "Owner", "https://example.org/" + id, "*", std::nullopt, "MIT",
                               "official-technic-launcher", "unmodified", "Credit", "2027-01-01", false, true};
}

ContentPolicyEngine engine(std::vector<ContentRightsRecord> records, QDateTime now = noon)
{
    return ContentPolicyEngine{ContentRegistry{1, std::move(records)}, std::move(now)};
}

// The sentence of the policy error `authorize` throws, or an empty string when it passes.
QString refusal(const ContentPolicyEngine& policy, const std::vector<QString>& ids)
{
    try {
        policy.authorize(ids);
        return {};
    } catch (const OrvaneError& e) {
        EXPECT_EQ(e.kind(), OrvaneError::Kind::policyDenied);
        return e.text();
    }
}

QJsonObject embeddedJson(const char* name)
{
    const auto bytes = CoreResources::embedded(QString::fromLatin1(name), QStringLiteral("json"));
    EXPECT_TRUE(bytes) << name;
    return QJsonDocument::fromJson(bytes.value_or(QByteArray())).object();
}

} // namespace

TEST(ContentPolicy, EmptyListPassesAndFirstFailureWins)
{
    EXPECT_EQ(refusal(engine({}), {}), QString());
    EXPECT_EQ(refusal(engine({clean("a")}), {"a", "b"}), QStringLiteral("Unknown required component: b"));

    auto both = clean("x");
    both.revoked = true;
    both.permitted = false;
    both.reviewExpires = "expired";
    both.deliveryMethod = "forbidden";
    EXPECT_EQ(refusal(engine({both}), {"x"}), QStringLiteral("Revoked component: x"));
    both.revoked = false;
    EXPECT_EQ(refusal(engine({both}), {"x"}), QStringLiteral("Component is not permitted: x"));
    both.permitted = true;
    EXPECT_EQ(refusal(engine({both}), {"x"}), QStringLiteral("Component review expired: x"));
    both.reviewExpires = "2027-01-01";
    EXPECT_EQ(refusal(engine({both}), {"x"}), QStringLiteral("Component delivery is forbidden: x"));
    both.deliveryMethod = "Forbidden";
    EXPECT_EQ(refusal(engine({both}), {"x"}), QString());

    // The list order decides which problem is named.
    auto revoked = clean("r");
    revoked.revoked = true;
    EXPECT_EQ(refusal(engine({clean("a"), revoked}), {"missing", "r"}), QStringLiteral("Unknown required component: missing"));
    EXPECT_EQ(refusal(engine({clean("a"), revoked}), {"a", "r", "missing"}), QStringLiteral("Revoked component: r"));
    try {
        engine({}).authorize({"z"});
    } catch (const OrvaneError& e) {
        EXPECT_EQ(e.description(), QStringLiteral("Content policy refused this profile: Unknown required component: z"));
    }
}

TEST(ContentPolicy, ReviewDatesRunOutAtMidnightUtc)
{
    auto record = clean("c");
    record.reviewExpires = "2026-12-09";
    const QDateTime midnight(QDate(2026, 12, 9), QTime(0, 0), Qt::UTC);
    EXPECT_EQ(refusal(engine({record}, midnight), {"c"}), QString()) << "the instant itself is not earlier than now";
    EXPECT_EQ(refusal(engine({record}, midnight.addSecs(1)), {"c"}), QStringLiteral("Component review expired: c"));
    EXPECT_EQ(refusal(engine({record}, midnight.addMSecs(-1)), {"c"}), QString());

    for (const char* bad : {"", "2026-02-30", "2026-13-01", "2026-00-10", "2027-1-01", "27-01-01", "2027/01/01",
                            "2027-01-01T00:00:00Z", " 2027-01-01", "2027-01-01\n", "\u0662\u0660\u0662\u0667-01-01"}) {
        record.reviewExpires = QString::fromUtf8(bad);
        EXPECT_EQ(refusal(engine({record}), {"c"}), QStringLiteral("Component review expired: c")) << bad;
    }
    // A leap day exists only in leap years.
    record.reviewExpires = "2028-02-29";
    EXPECT_EQ(refusal(engine({record}), {"c"}), QString());
    EXPECT_FALSE(reviewExpiryInstant("2027-02-29"));
    EXPECT_EQ(reviewExpiryInstant("2028-02-29"), QDateTime(QDate(2028, 2, 29), QTime(0, 0), Qt::UTC));

    record.reviewExpires = "2099-01-01";
    EXPECT_EQ(refusal(engine({record}, QDateTime()), {"c"}), QStringLiteral("Component review expired: c"))
        << "an engine without a valid instant passes no review";
}

TEST(ContentPolicy, FirstRecordOfAnIdWins)
{
    auto revoked = clean("dup");
    revoked.revoked = true;
    const auto policy = engine({revoked, clean("dup")});
    EXPECT_EQ(refusal(policy, {"dup"}), QStringLiteral("Revoked component: dup"));
    EXPECT_EQ(policy.record("dup"), revoked);
    EXPECT_FALSE(policy.record("DUP"));
    EXPECT_FALSE(policy.record(""));
}

TEST(ContentPolicy, ArchiveGuardRefusesJarAndZipInAnyCase)
{
    EXPECT_NO_THROW(ContentPolicyEngine::refuseNonOverlayPaths({}));
    EXPECT_NO_THROW(ContentPolicyEngine::refuseNonOverlayPaths({"options.txt", "mods.jar/config.cfg", "a.jar.txt"}));
    for (const char* path : {"mods/OptiFine.JAR", "shaderpacks/Pack.Zip", "x.jar", "y.ZIP"}) {
        try {
            ContentPolicyEngine::refuseNonOverlayPaths({"options.txt", path, "z.jar"});
            ADD_FAILURE() << path;
        } catch (const OrvaneError& e) {
            EXPECT_EQ(e.kind(), OrvaneError::Kind::overlayRefused);
            EXPECT_EQ(e.text(), QStringLiteral("Stage 1 will not add ") + path +
                                    QStringLiteral(". Only configuration overlays are allowed."));
        }
    }
}

TEST(ContentRegistry, JsonRoundTripsAndRefusesMissingKeys)
{
    auto pinned = clean("p");
    pinned.sha256 = QString(64, QLatin1Char('a'));
    const ContentRegistry registry{3, {clean("a"), pinned}};
    const QJsonObject json = toJson(registry);
    EXPECT_FALSE(json.value("records").toArray().at(0).toObject().contains("sha256"));
    EXPECT_EQ(fromJson<ContentRegistry>(json), registry);

    QJsonObject record = toJson(clean("n"));
    record.insert("sha256", QJsonValue::Null);
    EXPECT_EQ(fromJson<ContentRightsRecord>(record), clean("n"));
    for (const QString& key : record.keys()) {
        QJsonObject missing = record;
        missing.remove(key);
        if (key != QLatin1String("sha256")) {
            EXPECT_THROW(fromJson<ContentRightsRecord>(missing), DecodingError) << key.toStdString();
        }
    }
    record.insert("permitted", 1);
    EXPECT_THROW(fromJson<ContentRightsRecord>(record), DecodingError);
    EXPECT_THROW(fromJson<ContentRegistry>(QJsonObject{{"version", 1.5}, {"records", QJsonArray()}}), DecodingError);
}

TEST(ContentPolicy, LoadsFromTheResourceLookup)
{
    {
        const CoreResources::ScopedLookup none([](const QString&, const QString&) { return std::optional<QByteArray>(); });
        try {
            ContentPolicyEngine::loadFromResources();
            ADD_FAILURE();
        } catch (const OrvaneError& e) {
            EXPECT_EQ(e, OrvaneError::policyDenied("Bundled content-rights registry is missing."));
        }
    }
    {
        const CoreResources::ScopedLookup malformed(
            [](const QString&, const QString&) { return std::optional<QByteArray>("{\"version\": 1, \"records\": ["); });
        EXPECT_THROW(ContentPolicyEngine::loadFromResources(), DecodingError);
    }
    QString askedName, askedExtension;
    {
        const CoreResources::ScopedLookup custom([&](const QString& name, const QString& extension) {
            askedName = name;
            askedExtension = extension;
            return std::optional<QByteArray>(R"({"version": 7, "records": []})");
        });
        const QDateTime before = QDateTime::currentDateTimeUtc();
        const auto policy = ContentPolicyEngine::loadFromResources();
        EXPECT_EQ(policy.registry, (ContentRegistry{7, {}}));
        EXPECT_GE(policy.now, before);
        EXPECT_LE(policy.now, QDateTime::currentDateTimeUtc());
    }
    EXPECT_EQ(askedName, QStringLiteral("content-rights"));
    EXPECT_EQ(askedExtension, QStringLiteral("json"));
    // The scope ended: the embedded registry is back.
    EXPECT_FALSE(ContentPolicyEngine::loadFromResources().registry.records.empty());
}

TEST(ShippedResources, RegistryAuthorisesTheBalancedProfileWellAhead)
{
    // Both are compiled into the static core library and reach this executable.
    EXPECT_FALSE(CoreResources::embedded("content-rights", "txt"));
    const QJsonObject profile = embeddedJson("balanced.profile");
    ASSERT_TRUE(profile.value("requiredComponents").isArray());
    std::vector<QString> required;
    for (const auto& v : profile.value("requiredComponents").toArray())
        required.push_back(v.toString());
    ASSERT_FALSE(required.empty());

    auto policy = ContentPolicyEngine::loadFromResources();
    EXPECT_NO_THROW(policy.authorize(required));
    // Reviews must not run out soon after a release.
    policy.now = policy.now.addDays(365);
    EXPECT_NO_THROW(policy.authorize(required)) << "a review of a required component runs out within a year";

    for (const auto& record : policy.registry.records)
        EXPECT_TRUE(record.canonicalSource.startsWith("https://")) << record.id.toStdString();
}

TEST(ShippedResources, BalancedProfileOnlyChangesGameOptions)
{
    const QJsonObject profile = embeddedJson("balanced.profile");
    EXPECT_TRUE(profile.value("id").isString());
    EXPECT_TRUE(profile.value("title").isString());
    EXPECT_TRUE(profile.value("notes").isArray());
    ASSERT_TRUE(profile.value("options").isObject());
    const QJsonObject options = profile.value("options").toObject();
    EXPECT_FALSE(options.isEmpty());
    for (auto it = options.begin(); it != options.end(); ++it) {
        const QString key = it.key();
        ASSERT_TRUE(it.value().isString()) << key.toStdString();
        const QString text = (key + QLatin1Char(' ') + it.value().toString()).toLower();
        EXPECT_FALSE(key.startsWith("key_")) << key.toStdString();
        EXPECT_FALSE(key.contains(':') || key.contains('\n') || it.value().toString().contains('\n'));
        EXPECT_NE(key, QStringLiteral("resourcePacks"));
        for (const char* word : {"jar", "zip", "shader", "optifine"})
            EXPECT_FALSE(text.contains(QLatin1String(word))) << key.toStdString();
    }
}
