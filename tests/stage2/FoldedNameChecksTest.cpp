#include "stage2/ArchiveSafetyValidator.h"
#include "stage2/NameFolding.h"
#include "stage2/SafeRelativePath.h"
#include "stage2/SafeStagedInstallPlanner.h"

#include "support/QtPrinters.h"
#include "support/TempDir.h"
#include "ManifestWorld.h"
#include "PolicyRefusal.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace orvane;
using orvane::test::policyRefusal;

namespace fs = std::filesystem;

namespace {

// How a folding file system (case-folding ext4 or f2fs, exFAT, …) sees a pair of names, and so
// how every name check of stage 2 must treat it.
enum class Fold {
    merged,   // one name: a pair collides, a spelling of "saves" is the world saves
    refused,  // the second holds an invisible or reordering character and is refused alone
    distinct, // two names
};

struct Case {
    const char16_t* a;
    const char16_t* b;
    Fold fold;
};

const Case cases[] = {
    {u"strasse", u"STRA\u1E9EE", Fold::merged},      // capital ẞ folds to "ss"
    {u"stra\u00DFe", u"STRASSE", Fold::merged},      // ß folds to "ss"
    {u"\uFB01le", u"FILE", Fold::merged},            // the ligature ﬁ is "fi"
    {u"a.jar", u"\uFF21.jar", Fold::merged},         // fullwidth Ａ: merged, so a pair is refused
    {u"saves", u"SAVES", Fold::merged},
    {u"saves", u"\u017Faves", Fold::merged},         // long ſ
    {u"saves", u"\uFF53\uFF41\uFF56\uFF45\uFF53", Fold::merged},
    {u"\u00C5", u"\u212B", Fold::refused},           // ANGSTROM SIGN: not in NFC
    {u"forge.cfg", u"\uFEFFforge.cfg", Fold::refused},
    {u"a.jar", u"a\uFE0F.jar", Fold::refused},       // variation selector
    {u"saves", u"sa\u200Bves", Fold::refused},       // zero-width space
    {u"saves", u"sav\u202Ees", Fold::refused},       // right-to-left override
    {u"saves", u"sa\u00ADves", Fold::refused},       // soft hyphen
    {u"saves", u"sa\u2060ves", Fold::refused},       // word joiner
    {u"ab", u"a\u2066b", Fold::refused},             // left-to-right isolate
    {u"a.jar", u"a\U000E0100.jar", Fold::refused},   // a variation selector beyond the BMP
    {u"\U00010428.jar", u"\U00010400.jar", Fold::merged}, // Deseret letters, beyond the BMP too
    {u"I", u"\u0131", Fold::distinct},               // dotless ı is no "I" outside Turkish
    {u"i", u"\u0131", Fold::distinct},
    {u"a.jar", u"\u0430.jar", Fold::distinct},       // Cyrillic а
};

// The refusal a check gives, followed by `path`, or "<no error>".
QString expected(Fold fold, const char* collision, const char* unsafe, const QString& path = QString())
{
    switch (fold) {
    case Fold::merged:
        return QString::fromUtf8(collision) + path;
    case Fold::refused:
        return QString::fromUtf8(unsafe) + path;
    case Fold::distinct:
        break;
    }
    return QStringLiteral("<no error>");
}

ArchiveEntryDescriptor file(const QString& path)
{
    return {path, ArchiveEntryKind::file, 10, 20};
}

QString archiveRefusal(const std::vector<ArchiveEntryDescriptor>& entries)
{
    return policyRefusal([&] { ArchiveSafetyValidator(100, 1'000'000, 10'000'000, 100).validate(entries); });
}

QString manifestRefusal(const QString& first, const QString& second)
{
    orvane::test::ManifestWorld world;
    world.manifest.artifacts[0].relativePath = first;
    world.manifest.artifacts[1].relativePath = second;
    return world.refusal();
}

QString planRefusal(const fs::path& approved, const fs::path& staging, const fs::path& final)
{
    ValidatedArtifactManifest manifest;
    manifest.artifacts.push_back({AuthorizedArtifact{}, SafeRelativePath(QStringLiteral("mods/a.jar"))});
    const auto url = [](const fs::path& path) { return QUrl::fromLocalFile(QString::fromStdString(path.native())); };
    return policyRefusal([&] { SafeStagedInstallPlanner::plan(manifest, url(approved), url(staging), url(final)); });
}

TEST(FoldedNameChecks, EveryNameCheckJoinsWhatAFoldingVolumeJoins)
{
    const orvane::test::TempDir dir;
    const fs::path approved = fs::canonical(dir.path()) / "approved";
    int row = 0;
    for (const Case& c : cases) {
        // QStringView, not fromUtf16, which would drop a leading U+FEFF as a byte-order mark.
        const QString a = QStringView(c.a).toString();
        const QString b = QStringView(c.b).toString();
        SCOPED_TRACE(a.toStdString() + " / " + b.toStdString());
        EXPECT_EQ(pathCollisionKey(a) == pathCollisionKey(b), c.fold != Fold::distinct);

        if (isWorldSavePath(a)) {
            // The guard reads through every spelling, even one the path rules refuse first.
            EXPECT_EQ(isWorldSavePath(b), c.fold != Fold::distinct);
            const QString level = b + QStringLiteral("/World/level.dat");
            EXPECT_EQ(archiveRefusal({file(level)}),
                      expected(c.fold, "Archive targets the world-save directory: ", "Unsafe relative path: ", level));
            EXPECT_EQ(manifestRefusal(QStringLiteral("mods/x.jar"), level),
                      expected(c.fold, "Artifact targets the world-save directory: ", "Unsafe relative path: ", level));
        } else {
            const QString first = QStringLiteral("mods/") + a;
            const QString second = QStringLiteral("mods/") + b;
            EXPECT_EQ(archiveRefusal({file(first), file(second)}),
                      expected(c.fold, "Archive contains duplicate or case-colliding paths: ", "Unsafe relative path: ",
                               second));
            EXPECT_EQ(manifestRefusal(first, second), expected(c.fold, "Duplicate or case-colliding artifact path: ",
                                                               "Unsafe relative path: ", second));
        }

        // Roots: two not made yet are one folder; a folder on disk is aliased by the other spelling.
        const fs::path rowDir = approved / ("row" + std::to_string(row++));
        fs::create_directories(rowDir / "disk" / a.toStdString());
        const fs::path spelledB = b.toStdString();
        const char* unsafeRoot = "Install root contains an unsafe path component.";
        const char* alias = "Install root uses a case alias or colliding path component.";
        EXPECT_EQ(planRefusal(approved, rowDir / a.toStdString(), rowDir / spelledB),
                  expected(c.fold, "Staging and final install roots must differ.", unsafeRoot));
        EXPECT_EQ(planRefusal(approved, rowDir / "disk" / spelledB / "stage", rowDir / "final"),
                  expected(c.fold, alias, unsafeRoot));
        // The other way round: a folder already spelled the second way, even invisibly, is found.
        fs::create_directories(rowDir / "other" / spelledB);
        EXPECT_EQ(planRefusal(approved, rowDir / "other" / a.toStdString() / "stage", rowDir / "final"),
                  expected(c.fold, alias, alias));
    }
}

TEST(FoldedNameChecks, FoldingIsFullAndCannotFail)
{
    struct Fold {
        const char16_t* text;
        const char16_t* folded;
    };
    const Fold folds[] = {
        {u"Mods/STRA\u1E9EE.jar", u"mods/strasse.jar"},
        {u"\uFB03", u"ffi"},
        {u"\u0130", u"i\u0307"},              // İ keeps its dot as a combining mark
        {u"A\u0308", u"\u00E4"},               // composed after folding
        {u"\uFEFFa\u200Bb\u00AD\uFE0F", u"ab"}, // ignorables removed
        {u"\uFDFA", u"\u0635\u0644\u0649 \u0627\u0644\u0644\u0647 \u0639\u0644\u064A\u0647 \u0648\u0633\u0644\u0645"},
    };
    for (const Fold& f : folds) {
        SCOPED_TRACE(QStringView(f.text).toString().toStdString());
        EXPECT_EQ(foldedName(QStringView(f.text)), QStringView(f.folded).toString());
    }
    // An unpaired surrogate passes through as itself.
    const QString lone = QStringLiteral("A") + QChar(0xD800);
    EXPECT_EQ(foldedName(lone), QStringLiteral("a") + QChar(0xD800));
    EXPECT_EQ(foldedName(QString()), QString());
}

TEST(FoldedNameChecks, NoScalarLeavesTheKeyWithoutBeingRefused)
{
    // A scalar the key drops would let two names that look different be one file, or one that
    // looks like another name be it: each must be refused where names are checked.
    QStringList unrefused;
    for (char32_t scalar = 0; scalar <= 0x10FFFF; ++scalar) {
        if (scalar >= 0xD800 && scalar <= 0xDFFF)
            continue;
        // Built by hand: fromUcs4 would drop U+FEFF as a byte-order mark.
        const QChar units[] = {QChar(QChar::highSurrogate(scalar)), QChar(QChar::lowSurrogate(scalar))};
        const QString text = QChar::requiresSurrogates(scalar) ? QString(units, 2) : QString(QChar(char16_t(scalar)));
        if (foldedName(text).isEmpty() && !containsInvisibleFormatCharacter(text))
            unrefused.append(QString::number(std::uint32_t(scalar), 16));
    }
    EXPECT_EQ(unrefused, QStringList());
}

} // namespace
