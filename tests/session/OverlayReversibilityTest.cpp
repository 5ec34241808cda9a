// Balanced undone after the week a player has with it: the game, the launcher and pack updates
// rewrite the overlay files between Orvane's steps, as those programs do, over the real files.
#include "session/CompanionSession.h"

#include "platform/PathText.h"
#include "session/OverlayFiles.h"
#include "session/SessionHarness.h"
#include "support/FaultyFileOperations.h"
#include "technic/OptionsFile.h"

#include "support/QtPrinters.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <system_error>

using namespace orvane;
using namespace orvane::test;

namespace {

// Use Mojang Java was off before Balanced on this Apple silicon machine with Rosetta.
const QString kRestored = QStringLiteral("Original overlay settings restored. Other settings were kept. On Apple "
                                         "Silicon, Apply Balanced again before Play so Use Mojang Java is on.");

// The game at exit: every option it read (Balanced's included) and the player's changes, each on a
// line of its own, in its own order.
QByteArray gameStyle(const QMap<QString, QString>& options)
{
    QByteArray text;
    for (auto it = options.begin(); it != options.end(); ++it)
        text += (it.key() + QLatin1Char(':') + it.value() + QLatin1Char('\n')).toUtf8();
    return text;
}

QMap<QString, QString> optionsIn(const QByteArray& bytes)
{
    QMap<QString, QString> options;
    const OptionsFile file(QString::fromUtf8(bytes));
    for (const QString& line : file.lines())
        options.insert(line.section(QLatin1Char(':'), 0, 0), line.mid(line.indexOf(QLatin1Char(':')) + 1));
    return options;
}

// The launcher: two spaces, its own key order (reversed), no final line end.
QByteArray launcherStyle(const QJsonObject& object)
{
    QStringList keys = object.keys();
    std::reverse(keys.begin(), keys.end());
    QByteArrayList members;
    for (const QString& key : keys) {
        const QByteArray value = QJsonDocument(QJsonArray{object.value(key)}).toJson(QJsonDocument::Compact);
        members.append("  \"" + key.toUtf8() + "\": " + value.mid(1, value.size() - 2));
    }
    return "{\n" + members.join(",\n") + "\n}";
}

QByteArray packStyle(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// One overlay file as the test follows it: the values from before Balanced, and what its own
// programs last wrote (with how they format it; absent after an Apply reformatted it).
struct Followed {
    std::filesystem::path path;
    bool options = false;
    std::optional<QByteArray> original; // as it was when Balanced first took effect on it
    bool known = false, inEffect = false;
    QJsonObject values;                 // every key and value its programs wrote
    QByteArray (*style)(const QJsonObject&) = nullptr;
    bool untouched = true;              // nothing but Orvane changed it
};

QJsonObject valuesOf(const Followed& file, const QByteArray& bytes)
{
    if (!file.options)
        return QJsonDocument::fromJson(bytes).object();
    QJsonObject values;
    const auto options = optionsIn(bytes);
    for (auto it = options.begin(); it != options.end(); ++it)
        values.insert(it.key(), it.value());
    return values;
}

std::optional<QByteArray> bytesOf(const std::filesystem::path& path)
{
    return std::filesystem::exists(path) ? std::optional(readFile(path)) : std::nullopt;
}

enum class Step { applyA, applyB, restoreA, restoreB, game, launcher, slider, launcherFirstStart, packUpdate };

QByteArray gameStyleOf(const QJsonObject& values)
{
    QMap<QString, QString> map;
    for (auto it = values.begin(); it != values.end(); ++it)
        map.insert(it.key(), it.value().toString());
    return gameStyle(map);
}

// Two instances (the second chosen outside the launcher's folder) sharing the launcher's
// settings.json, each with its own session, and what the test expects of their files.
class PlayerWeek final {
public:
    PlayerWeek(const FixtureHome& home, const std::filesystem::path& second)
    {
        m_settings.path = home.settingsPath();
        for (int i = 0; i < 2; ++i) {
            Instance& in = m_instances[i];
            in.root = i == 0 ? home.instanceRoot() : second;
            SessionHarness harness;
            harness.labInstance = in.root;
            in.session = harness.build(home);
            in.options.path = in.root / "options.txt";
            in.options.options = true;
            in.runData.path = in.root / "bin" / "runData";
        }
        for (Followed* file : {&m_settings, &m_instances[0].options, &m_instances[0].runData,
                               &m_instances[1].options, &m_instances[1].runData}) {
            if (const auto bytes = bytesOf(file->path))
                file->values = valuesOf(*file, *bytes);
        }
    }

    void run(Step step)
    {
        Instance& played = m_instances[m_playing];
        switch (step) {
        case Step::applyA: apply(0); break;
        case Step::applyB: apply(1); break;
        case Step::restoreA: restore(0); break;
        case Step::restoreB: restore(1); break;
        case Step::game: // menu changes, a new mod's key binding, and render distance moved off Balanced's 8
            rewrite(played.options,
                    {{QStringLiteral("renderDistance"), QStringLiteral("10")},
                     {QStringLiteral("fov"), QStringLiteral("0.25")},
                     {QStringLiteral("key_key.sprint"), QStringLiteral("29")},
                     {QStringLiteral("key_key.recipe"), QStringLiteral("33")}},
                    gameStyleOf);
            break;
        case Step::launcher:
            rewrite(m_settings, {{QStringLiteral("javaArgs"), QStringLiteral("-XX:+UseG1GC")}}, launcherStyle);
            break;
        case Step::slider: rewrite(m_settings, {{QStringLiteral("memory"), 7}}, launcherStyle); break;
        case Step::launcherFirstStart:
            rewrite(m_settings,
                    {{QStringLiteral("memory"), 3}, {QStringLiteral("useMojangJava"), false},
                     {QStringLiteral("launchAction"), QStringLiteral("hide")}},
                    launcherStyle);
            break;
        case Step::packUpdate:
            rewrite(played.runData,
                    {{QStringLiteral("memory"), QStringLiteral("2048")},
                     {QStringLiteral("packBuild"), QStringLiteral("1.2.6")}},
                    packStyle);
            break;
        }
    }

private:
    struct Instance {
        std::filesystem::path root;
        std::unique_ptr<CompanionSession> session;
        Followed options, runData;
    };

    static void rewrite(Followed& file, const QJsonObject& changes, QByteArray (*style)(const QJsonObject&))
    {
        QJsonObject values = bytesOf(file.path) ? valuesOf(file, readFile(file.path)) : QJsonObject{};
        for (auto it = changes.begin(); it != changes.end(); ++it)
            values.insert(it.key(), it.value());
        file.values = values;
        file.untouched = false;
        file.style = style;
        writeFile(file.path, style(values));
    }

    void apply(int index)
    {
        m_playing = index;
        Instance& in = m_instances[index];
        for (Followed* file : {&in.options, &in.runData, &m_settings}) {
            // Balanced first takes effect on a file it writes (settings.json only where it exists).
            if ((!file->known || !file->inEffect) && (file != &m_settings || bytesOf(file->path))) {
                file->original = bytesOf(file->path);
                file->known = file->inEffect = true;
            }
            file->style = nullptr; // Apply writes its own format
        }
        in.session->applyBalanced();
    }

    void restore(int index)
    {
        Instance& in = m_instances[index];
        const RestoreResult result = in.session->restoreOverlay();
        EXPECT_EQ(result.message, kRestored);
        QStringList optionKeys;
        const OverlayPlan plan = *in.session->lastPlan();
        for (const auto& [key, value] : plan.options)
            optionKeys.append(key);
        check(in.options, optionKeys);
        check(in.runData, {QStringLiteral("memory")});
        check(m_settings, {QStringLiteral("memory"), QStringLiteral("useMojangJava")});
        for (Followed* file : {&in.options, &in.runData, &m_settings})
            file->inEffect = false;
    }

    // Every key Balanced writes holds its value from before (or is absent as then), every other key
    // holds what the file's own programs last wrote, in their form where Apply did not write since.
    static void check(const Followed& file, const QStringList& keys)
    {
        SCOPED_TRACE(file.path.native());
        const std::optional<QByteArray> now = bytesOf(file.path);
        if (!file.known)
            return;
        if (file.untouched) { // the file is byte for byte what it was, or gone as it was
            EXPECT_EQ(now, file.original);
            return;
        }
        QJsonObject expected = file.values;
        const QJsonObject original = file.original ? valuesOf(file, *file.original) : QJsonObject{};
        for (const QString& key : keys) {
            if (original.contains(key))
                expected.insert(key, original.value(key));
            else
                expected.remove(key);
        }
        ASSERT_TRUE(now);
        EXPECT_EQ(valuesOf(file, *now), expected);
        if (file.style) {
            EXPECT_EQ(*now, file.style(expected));
        }
    }

    Instance m_instances[2];
    Followed m_settings;
    int m_playing = 0; // the instance the game last ran
};

} // namespace

TEST(OverlayReversibility, TheRestoreUndoesBalancedAndKeepsWhatTheGameAndTheLauncherWroteSince)
{
    struct Case {
        const char* name;
        std::vector<Step> steps;
        bool options = true, settings = true;
    };
    const Case cases[] = {
        {"a game session after Apply", {Step::applyA, Step::game, Step::restoreA}},
        {"Apply, play, Apply, restore", {Step::applyA, Step::game, Step::applyA, Step::restoreA}},
        {"Apply, play, Apply, play, restore, play, restore",
         {Step::applyA, Step::game, Step::applyA, Step::game, Step::restoreA, Step::game, Step::restoreA}},
        {"the launcher reformats settings.json", {Step::applyA, Step::launcher, Step::restoreA}},
        {"the launcher reformats settings.json before a second Apply",
         {Step::applyA, Step::launcher, Step::applyA, Step::restoreA}},
        {"the memory slider moved", {Step::applyA, Step::slider, Step::applyA, Step::restoreA}},
        {"a pack update rewrites bin/runData", {Step::applyA, Step::packUpdate, Step::applyA, Step::restoreA}},
        {"a created options.txt rewritten by the game", {Step::applyA, Step::game, Step::applyA, Step::restoreA},
         false},
        {"a created options.txt nothing else wrote", {Step::applyA, Step::applyA, Step::restoreA}, false},
        {"the launcher's first start creates settings.json",
         {Step::applyA, Step::launcherFirstStart, Step::game, Step::applyA, Step::restoreA}, true, false},
        {"restore, play, Apply, restore",
         {Step::applyA, Step::restoreA, Step::game, Step::applyA, Step::game, Step::restoreA}},
        {"two instances share settings.json",
         {Step::applyA, Step::applyB, Step::game, Step::restoreB, Step::restoreA}},
        {"two instances share settings.json, the first restored first",
         {Step::applyA, Step::slider, Step::applyB, Step::restoreA, Step::applyA, Step::restoreB, Step::restoreA}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome::Options options;
        options.settings = c.settings;
        options.settingsMemory = 3;
        options.useMojangJava = false;
        options.instanceContent.runDataMemory = QStringLiteral("3072");
        if (!c.options)
            options.instanceContent.options.reset();
        FixtureHome home(options);
        const auto second = home.root() / "Packs" / "tekkit-2";
        FixtureHome::writeInstance(second, options.instanceContent);
        PlayerWeek week(home, second);
        for (const Step step : c.steps)
            week.run(step);
    }
}

namespace {

// A session over `home`'s instance on `machine`, reaching the files through `files`.
std::unique_ptr<CompanionSession> sessionOver(const FixtureHome& home, const QString& machine,
                                              std::shared_ptr<FileOperations> files = FileOperations::system())
{
    SessionHarness harness;
    harness.labInstance = home.instanceRoot();
    harness.facts->machine = machine;
    harness.files = std::move(files);
    return harness.build(home);
}

std::filesystem::path recordOf(const FixtureHome& home)
{
    return home.paths().applicationSupport / "overlay-originals.json";
}

// The game's changes after Apply: Balanced's render distance moved, the field of view set.
void playOnce(const FixtureHome& home)
{
    const auto options = home.instanceRoot() / "options.txt";
    writeFile(options, readFile(options).replace("renderDistance:8", "renderDistance:10") + "fov:0.25\n");
}

} // namespace

TEST(OverlayReversibility, SnapshotsTakenWithoutARecordOfOriginsStillServe)
{
    // A store from before the record (or one whose record is damaged): the newest snapshot is the
    // source, for the keys of the plan.
    for (const QByteArray& record : {QByteArray(), QByteArray("{\"files\": 7}")}) {
        SCOPED_TRACE(record.isEmpty() ? "no record" : "a damaged record");
        FixtureHome home;
        const auto session = sessionOver(home, QStringLiteral("x86_64"));
        const QByteArray options = readFile(home.instanceRoot() / "options.txt");
        const QByteArray runData = readFile(home.instanceRoot() / "bin" / "runData");
        const QByteArray settings = readFile(home.settingsPath());
        session->applyBalanced();
        std::filesystem::remove(recordOf(home));
        if (!record.isEmpty())
            writeFile(recordOf(home), record);
        playOnce(home);

        const RestoreResult result = session->restoreOverlay();

        EXPECT_EQ(result.message, QStringLiteral("Original overlay settings restored. Other settings were kept."));
        EXPECT_EQ(readFile(home.instanceRoot() / "options.txt"), options + "fov:0.25\n");
        EXPECT_EQ(readFile(home.instanceRoot() / "bin" / "runData"), runData);
        EXPECT_EQ(readFile(home.settingsPath()), settings);
    }
}

TEST(OverlayReversibility, ARestoreThatFailsLeavesEveryFileAndTheOriginsAsTheyWere)
{
    FixtureHome home;
    auto files = std::make_shared<FaultyFileOperations>();
    const auto session = sessionOver(home, QStringLiteral("arm64"), files);
    const QByteArray options = readFile(home.instanceRoot() / "options.txt");
    session->applyBalanced();
    playOnce(home);
    const auto played = treeState(home.home());
    files->failOn(FaultyFileOperations::Op::swap, 2, ENOSPC); // bin/runData's exchange

    EXPECT_THROW(session->restoreOverlay(), std::system_error);
    EXPECT_EQ(treeState(home.home()), played);

    session->restoreOverlay();
    EXPECT_EQ(readFile(home.instanceRoot() / "options.txt"), options + "fov:0.25\n");
}

TEST(OverlayReversibility, AnApplyThatChangedNothingInTheEndLeavesTheOriginsAsTheyWere)
{
    FixtureHome home;
    auto files = std::make_shared<FaultyFileOperations>();
    const auto session = sessionOver(home, QStringLiteral("arm64"), files);
    const QByteArray options = readFile(home.instanceRoot() / "options.txt");
    files->failOn(FaultyFileOperations::Op::writeAtomically, 3, ENOSPC); // after the record and options.txt
    EXPECT_THROW(session->applyBalanced(), std::system_error);
    EXPECT_FALSE(std::filesystem::exists(recordOf(home)));

    // The next Apply after the player changed a setting Balanced writes takes that as the original.
    writeFile(home.instanceRoot() / "options.txt", options + "particles:2\n");
    session->applyBalanced();
    session->restoreOverlay();
    EXPECT_EQ(readFile(home.instanceRoot() / "options.txt"), options + "particles:2\n");
}

TEST(OverlayReversibility, BalancedAppliedByAReleaseWithoutTheRecordKeepsItsOriginsThroughTheNextApply)
{
    // Each Apply but the last is made as a release without the record made it: its record is gone.
    struct Case {
        const char* name;
        int earlierApplies;
    };
    const Case cases[] = {{"applied once, played", 1}, {"applied, played, applied again, played", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FixtureHome::Options fixture; // no value Balanced writes is there before it
        fixture.settingsMemory = 3;
        fixture.instanceContent.runDataMemory = QStringLiteral("3072");
        FixtureHome home(fixture);
        const auto session = sessionOver(home, QStringLiteral("x86_64"));
        const QByteArray options = readFile(home.instanceRoot() / "options.txt");
        const QByteArray runData = readFile(home.instanceRoot() / "bin" / "runData");
        const QByteArray settings = readFile(home.settingsPath());
        for (int i = 0; i < c.earlierApplies; ++i) {
            session->applyBalanced();
            std::filesystem::remove(recordOf(home));
            playOnce(home);
        }

        session->applyBalanced();
        session->restoreOverlay();

        // Render distance back at 12 (the game had moved Balanced's 8 to 10), the game's fov kept.
        QByteArray played = options;
        for (int i = 0; i < c.earlierApplies; ++i)
            played += "fov:0.25\n";
        EXPECT_EQ(readFile(home.instanceRoot() / "options.txt"), played);
        EXPECT_EQ(readFile(home.instanceRoot() / "bin" / "runData"), runData);
        EXPECT_EQ(readFile(home.settingsPath()), settings);
    }
}
