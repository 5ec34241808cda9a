#include "json/DecodingError.h"
#include "json/JsonWriter.h"
#include "model/BackupManifest.h"
#include "model/RestoreResult.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

using namespace orvane;

namespace {

QJsonObject parse(const char* json)
{
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

BackupManifest sampleManifest()
{
    BackupManifest m;
    m.id = QStringLiteral("2026-12-08T072108.123Z-0f8fad5b-d9cb-469f-a165-70867728950e");
    m.createdAt = QDateTime(QDate(2026, 12, 8), QTime(7, 21, 8), Qt::UTC);
    m.instanceRoot = QStringLiteral("/Users/a/Library/Application Support/technic/modpacks/tekkit-2");
    m.files = {{QStringLiteral("options.txt"), m.instanceRoot + QStringLiteral("/options.txt"), QString(64, u'a'), 12},
               {QStringLiteral("technic-root/settings.json"), QStringLiteral("/t/settings.json"), QString(64, u'b'), 0}};
    m.notes = QStringLiteral("Before Balanced.");
    m.kind = BackupKind::preOverlay;
    m.createdPaths = {m.instanceRoot + QStringLiteral("/bin/runData")};
    return m;
}

constexpr const char* kMinimalManifest = R"({"id":"x","createdAt":"2026-12-08T07:21:08Z","instanceRoot":"/i",
    "files":[{"relativePath":"options.txt","originalPath":"/i/options.txt","sha256":"ab","byteCount":3}],
    "notes":"n"})";

} // namespace

TEST(BackupManifestJson, RoundTripsAndAlwaysWritesAllSevenKeys)
{
    const BackupManifest m = sampleManifest();
    EXPECT_EQ(fromJson<BackupManifest>(QJsonDocument::fromJson(encodeJson(toJson(m))).object()), m);

    BackupManifest empty = m;
    empty.files.clear();
    empty.createdPaths.clear();
    const QJsonObject json = toJson(empty);
    EXPECT_EQ(json.keys(), (QStringList{"createdAt", "createdPaths", "files", "id", "instanceRoot", "kind", "notes"}));
    EXPECT_TRUE(json.value("createdPaths").isArray());
    EXPECT_TRUE(json.value("createdPaths").toArray().isEmpty());
    EXPECT_EQ(json.value("kind").toString(), QStringLiteral("preOverlay"));
    EXPECT_EQ(json.value("createdAt").toString(), QStringLiteral("2026-12-08T07:21:08Z"));
    EXPECT_EQ(fromJson<BackupManifest>(json), empty);
}

TEST(BackupManifestJson, OlderManifestsWithoutKindOrCreatedPathsReadAsManual)
{
    const auto m = fromJson<BackupManifest>(parse(kMinimalManifest));
    EXPECT_EQ(m.kind, BackupKind::manual);
    EXPECT_TRUE(m.createdPaths.empty());
    ASSERT_EQ(m.files.size(), 1u);
    EXPECT_EQ(m.files[0].byteCount, 3);

    QJsonObject nulls = parse(kMinimalManifest);
    nulls.insert("kind", QJsonValue::Null);
    nulls.insert("createdPaths", QJsonValue::Null);
    nulls.insert("somethingNew", 1);
    EXPECT_EQ(fromJson<BackupManifest>(nulls), m);
}

TEST(BackupManifestJson, RefusesWrongShapes)
{
    const auto refuses = [](auto edit) {
        QJsonObject json = parse(kMinimalManifest);
        edit(json);
        EXPECT_THROW(fromJson<BackupManifest>(json), DecodingError) << QJsonDocument(json).toJson().toStdString();
    };
    refuses([](QJsonObject& j) { j.insert("kind", "worlds"); });
    refuses([](QJsonObject& j) { j.insert("kind", "Saves"); });
    refuses([](QJsonObject& j) { j.remove("notes"); });
    refuses([](QJsonObject& j) { j.remove("id"); });
    refuses([](QJsonObject& j) { j.insert("createdAt", QJsonValue::Null); });
    refuses([](QJsonObject& j) { j.insert("createdAt", "yesterday"); });
    refuses([](QJsonObject& j) { j.insert("files", QJsonObject()); });
    refuses([](QJsonObject& j) { j.insert("createdPaths", QJsonArray{1}); });
    const auto fileRefuses = [&](const char* key, const QJsonValue& value) {
        refuses([&](QJsonObject& j) {
            QJsonObject file = j.value("files").toArray().at(0).toObject();
            if (value.isUndefined())
                file.remove(key);
            else
                file.insert(key, value);
            j.insert("files", QJsonArray{file});
        });
    };
    fileRefuses("byteCount", 1.5);
    fileRefuses("byteCount", true);
    fileRefuses("byteCount", "3");
    fileRefuses("byteCount", QJsonValue(QJsonValue::Undefined));
    fileRefuses("sha256", QJsonValue::Null);
    fileRefuses("relativePath", 7);
}

TEST(BackupKindJson, IsTheExactCaseName)
{
    EXPECT_EQ(toJson(BackupKind::saves), QJsonValue("saves"));
    EXPECT_EQ(fromJson<BackupKind>(QJsonValue("preOverlay")), BackupKind::preOverlay);
    EXPECT_THROW(fromJson<BackupKind>(QJsonValue("PREOVERLAY")), DecodingError);
    EXPECT_THROW(fromJson<BackupKind>(QJsonValue(1)), DecodingError);
    EXPECT_EQ(enumFromName<BackupKind>("saves "), std::nullopt);
}

TEST(BackupManifest, TotalByteCountSumsAndSaturatesInsteadOfOverflowing)
{
    BackupManifest m = sampleManifest();
    EXPECT_EQ(m.totalByteCount(), 12);
    m.files.clear();
    EXPECT_EQ(m.totalByteCount(), 0);
    m.files = {{"a", "/a", "", INT64_MAX}, {"b", "/b", "", 1}, {"c", "/c", "", 5}};
    EXPECT_EQ(m.totalByteCount(), INT64_MAX);
    m.files = {{"a", "/a", "", INT64_MIN}, {"b", "/b", "", -1}};
    EXPECT_EQ(m.totalByteCount(), INT64_MIN);
}

TEST(BackupManifest, EqualityComparesDatesAsInstants)
{
    BackupManifest a = sampleManifest();
    BackupManifest b = a;
    b.createdAt = a.createdAt.toOffsetFromUtc(3600);
    EXPECT_EQ(a, b);
    b.files[1].byteCount = 1;
    EXPECT_NE(a, b);
}

TEST(BackupManifestPrompt, WorldRestorePromptNamesCountDateAndSize)
{
    BackupManifest m = sampleManifest();
    m.files = {{"saves/World/level.dat", "/i/saves/World/level.dat", QString(64, u'c'), 2048}};
    EXPECT_EQ(m.savesRestorePrompt(QTimeZone(0)),
              QStringLiteral("Restore the 1 files recorded in the verified world backup from Dec 8, 2026 at 7:21 AM "
                             "(2\u00a0KB)? Other saves files added later are left unchanged. Overlay settings are not changed."));
    m.files.clear();
    EXPECT_EQ(m.savesRestorePrompt(QTimeZone(-5 * 3600)),
              QStringLiteral("Restore the 0 files recorded in the verified world backup from Dec 8, 2026 at 2:21 AM "
                             "(Zero\u00a0KB)? Other saves files added later are left unchanged. Overlay settings are not changed."));
    EXPECT_EQ(BackupManifest::savesRestoreFallbackPrompt(),
              QStringLiteral("Restore only the files recorded in the latest verified world backup? "
                             "Files added later are left unchanged."));
}

TEST(RestoreResultJson, RoundTripsAndLeavesAbsentOptionalsOut)
{
    RestoreResult r{QStringLiteral("id-1"), {"/i/options.txt"}, {"/i/bin/runData"},
                    RestoreVerification{BackupKind::preOverlay, 1, 12, QStringLiteral("SHA-256")}, true,
                    QStringLiteral("Restored.")};
    EXPECT_EQ(fromJson<RestoreResult>(toJson(r)), r);

    r.message.reset();
    r.verification.backupKind.reset();
    r.verification.verifiedByteCount = std::uint64_t(1) << 63; // beyond the signed range
    const QJsonObject json = QJsonDocument::fromJson(encodeJson(toJson(r))).object();
    EXPECT_FALSE(json.contains("message"));
    EXPECT_FALSE(json.value("verification").toObject().contains("backupKind"));
    EXPECT_EQ(fromJson<RestoreResult>(json), r);
}

TEST(RestoreResultJson, RefusesWrongShapes)
{
    const QJsonObject good = toJson(RestoreResult{"id", {}, {}, RestoreVerification{std::nullopt, 0, 0, "SHA-256"}, false, {}});
    EXPECT_NO_THROW(fromJson<RestoreResult>(good));
    const auto refuses = [&](auto edit) {
        QJsonObject json = good;
        edit(json);
        EXPECT_THROW(fromJson<RestoreResult>(json), DecodingError) << QJsonDocument(json).toJson().toStdString();
    };
    refuses([](QJsonObject& j) { j.insert("needsReapplyForMojangJava", 0); });
    refuses([](QJsonObject& j) { j.remove("verification"); });
    refuses([](QJsonObject& j) { j.insert("message", 3); });
    const auto verificationRefuses = [&](const char* key, const QJsonValue& value) {
        refuses([&](QJsonObject& j) {
            QJsonObject v = j.value("verification").toObject();
            v.insert(key, value);
            j.insert("verification", v);
        });
    };
    verificationRefuses("backupKind", "worlds");
    verificationRefuses("verifiedFileCount", 1.5);
    verificationRefuses("verifiedByteCount", -1);
    verificationRefuses("algorithm", QJsonValue::Null);

    QJsonObject nullKind = good;
    QJsonObject v = nullKind.value("verification").toObject();
    v.insert("backupKind", QJsonValue::Null);
    nullKind.insert("verification", v);
    nullKind.insert("message", QJsonValue::Null);
    EXPECT_EQ(fromJson<RestoreResult>(nullKind), fromJson<RestoreResult>(good));
}
