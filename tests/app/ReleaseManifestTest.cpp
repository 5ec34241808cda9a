#include "model/ReleaseManifest.h"
#include "model/UpdateCheckError.h"
#include "model/UpdateCheckState.h"
#include "support/QtPrinters.h"

#include "json/DecodingError.h"

#include <gtest/gtest.h>

#include <QJsonDocument>
#include <QJsonObject>

namespace orvane {
namespace {

const QString host = QStringLiteral("releases.orvane.test");

QJsonObject validRecord()
{
    return QJsonObject{
        {QStringLiteral("schemaVersion"), 1},
        {QStringLiteral("version"), QStringLiteral("1.3.0")},
        {QStringLiteral("build"), 42},
        {QStringLiteral("productSourceCommit"), QString(40, QLatin1Char('a'))},
        {QStringLiteral("downloadURL"), QStringLiteral("https://releases.orvane.test/downloads/Orvane-1.3.0.zip")},
        {QStringLiteral("releaseNotesURL"), QStringLiteral("https://releases.orvane.test/notes/1.3.0")},
        {QStringLiteral("filename"), QStringLiteral("Orvane-1.3.0.zip")},
        {QStringLiteral("bytes"), 1048576},
        {QStringLiteral("sha256"), QString(64, QLatin1Char('0'))},
        {QStringLiteral("bundleIdentifier"), QStringLiteral("app.orvane.companion")},
        {QStringLiteral("teamIdentifier"), QStringLiteral("QK7RTW2XNB")},
        {QStringLiteral("minimumSystemVersion"), QStringLiteral("14.0")},
        {QStringLiteral("architecture"), QStringLiteral("arm64")},
        {QStringLiteral("notarization"),
         QJsonObject{{QStringLiteral("status"), QStringLiteral("accepted")},
                     {QStringLiteral("submissionId"), QStringLiteral("5d1c7a2e")},
                     {QStringLiteral("stapled"), true}}},
    };
}

ReleaseManifest decode(const QJsonObject& object)
{
    return decodeReleaseManifest(object, QStringLiteral("ReleaseManifest"));
}

bool refused(const ReleaseManifest& manifest)
{
    try {
        validate(manifest, host);
        return false;
    } catch (const UpdateCheckError& e) {
        return e.kind() == UpdateCheckError::Kind::invalidRelease;
    }
}

TEST(ReleaseManifest, EveryValidationRuleRefusesTheRecordThatBreaksIt)
{
    const ReleaseManifest valid = decode(validRecord());
    EXPECT_FALSE(refused(valid));

    struct Case {
        const char* rule;
        std::function<void(ReleaseManifest&)> breakIt;
        bool refusedAfter = true;
    };
    const std::vector<Case> cases{
        {"1 schema version", [](ReleaseManifest& m) { m.schemaVersion = 2; }},
        {"2 build", [](ReleaseManifest& m) { m.build = 0; }},
        {"3 bytes", [](ReleaseManifest& m) { m.bytes = 0; }},
        {"4 bundle identifier", [](ReleaseManifest& m) { m.bundleIdentifier = QStringLiteral("App.Orvane.Companion"); }},
        {"5 team", [](ReleaseManifest& m) { m.teamIdentifier = QStringLiteral("qk7rtw2xnb"); }},
        {"6 architecture", [](ReleaseManifest& m) { m.architecture = QStringLiteral("x86_64"); }},
        {"7 notarization status", [](ReleaseManifest& m) { m.notarization.status = QStringLiteral("rejected"); }},
        {"7 status in capitals passes", [](ReleaseManifest& m) { m.notarization.status = QStringLiteral("Accepted"); },
         false},
        {"8 not stapled", [](ReleaseManifest& m) { m.notarization.stapled = false; }},
        {"8 no submission", [](ReleaseManifest& m) { m.notarization.submissionId.clear(); }},
        {"9 commit in capitals", [](ReleaseManifest& m) { m.productSourceCommit = QString(40, QLatin1Char('A')); }},
        {"9 commit with a final line break",
         [](ReleaseManifest& m) { m.productSourceCommit = QString(40, QLatin1Char('a')) + QLatin1Char('\n'); }},
        {"10 digest too short", [](ReleaseManifest& m) { m.sha256 = QString(63, QLatin1Char('0')); }},
        {"11 filename", [](ReleaseManifest& m) { m.filename = QStringLiteral("Orvane.zip"); }},
        {"11 empty filename for a URL ending in /",
         [](ReleaseManifest& m) {
             m.downloadURL = QUrl(QStringLiteral("https://releases.orvane.test/downloads/Orvane-1.3.0.zip/"));
             m.filename.clear();
         }},
        {"11 empty filename for the downloads folder",
         [](ReleaseManifest& m) {
             m.downloadURL = QUrl(QStringLiteral("https://releases.orvane.test/downloads/"));
             m.filename.clear();
         }},
        {"11 a final / is no component of its own",
         [](ReleaseManifest& m) {
             m.downloadURL = QUrl(QStringLiteral("https://releases.orvane.test/downloads/Orvane-1.3.0.zip/"));
         },
         false},
        {"12 plain http",
         [](ReleaseManifest& m) { m.downloadURL = QUrl(QStringLiteral("http://releases.orvane.test/downloads/Orvane-1.3.0.zip")); }},
        {"12 no scheme", [](ReleaseManifest& m) { m.downloadURL = QUrl(QStringLiteral("/downloads/Orvane-1.3.0.zip")); }},
        {"13 another host",
         [](ReleaseManifest& m) { m.downloadURL = QUrl(QStringLiteral("https://evil.test/downloads/Orvane-1.3.0.zip")); }},
        {"14 outside /downloads/",
         [](ReleaseManifest& m) { m.downloadURL = QUrl(QStringLiteral("https://releases.orvane.test/files/Orvane-1.3.0.zip")); }},
        {"15 notes over http",
         [](ReleaseManifest& m) { m.releaseNotesURL = QUrl(QStringLiteral("http://releases.orvane.test/notes")); }},
        {"15 notes on another host",
         [](ReleaseManifest& m) { m.releaseNotesURL = QUrl(QStringLiteral("https://evil.test/notes")); }},
        {"15 notes without a host", [](ReleaseManifest& m) { m.releaseNotesURL = QUrl(QStringLiteral("https:notes")); }},
        {"15 no notes passes", [](ReleaseManifest& m) { m.releaseNotesURL.reset(); }, false},
        {"16 version", [](ReleaseManifest& m) { m.version = QStringLiteral("1"); }},
        {"17 minimum system, one component", [](ReleaseManifest& m) { m.minimumSystemVersion = QStringLiteral("14"); }},
        {"17 minimum system, four components",
         [](ReleaseManifest& m) { m.minimumSystemVersion = QStringLiteral("14.0.0.1"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rule);
        ReleaseManifest manifest = valid;
        c.breakIt(manifest);
        EXPECT_EQ(refused(manifest), c.refusedAfter);
    }
}

TEST(ReleaseManifest, DecodingRequiresEveryKeyButTheNotesAndRefusesWrongTypes)
{
    QJsonObject withoutNotes = validRecord();
    withoutNotes.remove(QStringLiteral("releaseNotesURL"));
    EXPECT_FALSE(decode(withoutNotes).releaseNotesURL.has_value());
    EXPECT_EQ(decode(validRecord()).releaseNotesURL, QUrl(QStringLiteral("https://releases.orvane.test/notes/1.3.0")));

    struct Case {
        const char* name;
        std::function<void(QJsonObject&)> change;
    };
    const std::vector<Case> cases{
        {"no notarization", [](QJsonObject& o) { o.remove(QStringLiteral("notarization")); }},
        {"build as text", [](QJsonObject& o) { o.insert(QStringLiteral("build"), QStringLiteral("7")); }},
        {"fractional bytes", [](QJsonObject& o) { o.insert(QStringLiteral("bytes"), 1.5); }},
        {"stapled as a number",
         [](QJsonObject& o) {
             QJsonObject n = o.value(QStringLiteral("notarization")).toObject();
             n.insert(QStringLiteral("stapled"), 1);
             o.insert(QStringLiteral("notarization"), n);
         }},
        {"download URL not text", [](QJsonObject& o) { o.insert(QStringLiteral("downloadURL"), 3); }},
        {"empty download URL", [](QJsonObject& o) { o.insert(QStringLiteral("downloadURL"), QString()); }},
        {"no version", [](QJsonObject& o) { o.remove(QStringLiteral("version")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QJsonObject object = validRecord();
        c.change(object);
        EXPECT_THROW(decode(object), DecodingError);
    }
}

TEST(ReleaseManifest, VersionsParseAsTwoOrThreeWholeNumbersBeforeAnySuffix)
{
    using Components = std::vector<std::int64_t>;
    struct Case {
        QString text;
        std::optional<Components> parsed;
    };
    const std::vector<Case> cases{
        {QStringLiteral("1.3.0-rc.1"), Components{1, 3, 0}},
        {QStringLiteral("1.4.0-beta.2"), Components{1, 4, 0}},
        {QStringLiteral("1.2"), Components{1, 2}},
        {QStringLiteral("-1.2"), Components{1, 2}},
        {QStringLiteral("+1.02"), Components{1, 2}},
        {QStringLiteral("14"), std::nullopt},
        {QStringLiteral("14.0.0.1"), std::nullopt},
        {QStringLiteral("1..2"), std::nullopt},
        {QStringLiteral("1.x"), std::nullopt},
        {QStringLiteral(" 1.2"), std::nullopt},
        {QStringLiteral("1.2 "), std::nullopt},
        {QStringLiteral("1.+-2"), std::nullopt},
        {QStringLiteral("99999999999999999999.1"), std::nullopt},
        {QString(), std::nullopt},
        {QStringLiteral("-"), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        if (c.parsed)
            EXPECT_EQ(parseReleaseVersion(c.text), *c.parsed);
        else
            EXPECT_THROW(parseReleaseVersion(c.text), UpdateCheckError);
    }
}

TEST(ReleaseManifest, NewerComparesVersionsThenBuilds)
{
    struct Case {
        QString record;
        std::int64_t recordBuild;
        QString running;
        std::int64_t runningBuild;
        bool newer;
    };
    const std::vector<Case> cases{
        {QStringLiteral("1.3.0-rc.1"), 1, QStringLiteral("1.2.9"), 99, true},
        {QStringLiteral("1.2"), 41, QStringLiteral("1.2.0"), 41, false},
        {QStringLiteral("1.2"), 42, QStringLiteral("1.2.0"), 41, true},
        {QStringLiteral("1.2.0"), 42, QStringLiteral("1.10"), 1, false},
        {QStringLiteral("0.1"), 1, QStringLiteral("0.0.0"), 0, true},
        {QStringLiteral("0.0"), 1, QStringLiteral("0.0.0"), 0, true},
        {QStringLiteral("0.0"), 0, QStringLiteral("0.0.0"), 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.record + QStringLiteral(" vs ") + c.running).toStdString());
        ReleaseManifest manifest = decode(validRecord());
        manifest.version = c.record;
        manifest.build = c.recordBuild;
        EXPECT_EQ(isNewer(manifest, c.running, c.runningBuild), c.newer);
    }
    ReleaseManifest manifest = decode(validRecord());
    EXPECT_THROW(isNewer(manifest, QStringLiteral("dev"), 1), UpdateCheckError);
}

TEST(UpdateCheckState, StatusTextForEveryCase)
{
    ReleaseManifest manifest = decode(validRecord());
    manifest.version = QStringLiteral("1.3.0");
    manifest.build = 1042;
    EXPECT_EQ(UpdateCheckState::current(QStringLiteral("1.2.0"), 41).statusText(),
              QStringLiteral("Orvane 1.2.0 (41) is current."));
    EXPECT_EQ(UpdateCheckState::available(manifest).statusText(),
              QStringLiteral("Orvane 1.3.0 (1042) is available. Opening it is your choice."));
    EXPECT_EQ(UpdateCheckState::failed(UpdateCheckState::failedText()).statusText(),
              QStringLiteral("Couldn’t check right now. Orvane was not changed."));
    EXPECT_EQ(UpdateCheckState::idle().statusText(), QStringLiteral("No automatic checks."));
    EXPECT_EQ(UpdateCheckState::checking().statusText(), QStringLiteral("Checking the release record…"));
    EXPECT_TRUE(UpdateCheckState::checking().isChecking());
    EXPECT_TRUE(UpdateCheckState::failed(QStringLiteral("x")).isFailed());
    EXPECT_NE(UpdateCheckState::available(manifest), UpdateCheckState::available(decode(validRecord())));
    EXPECT_EQ(UpdateCheckState(), UpdateCheckState::idle());
}

} // namespace
} // namespace orvane
