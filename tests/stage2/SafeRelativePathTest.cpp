#include "json/DecodingError.h"
#include "stage2/SafeRelativePath.h"

#include "support/QtPrinters.h"
#include "PolicyRefusal.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace orvane;
using orvane::test::policyRefusal;

namespace {

QString refusalOf(const QString& text)
{
    return policyRefusal([&] { (void)SafeRelativePath(text); });
}

QString unsafe(const QString& text)
{
    return QStringLiteral("Unsafe relative path: ") + text;
}

// A path of exactly `bytes` ASCII bytes made of 200-byte pieces.
QString asciiPathOf(qsizetype bytes)
{
    QString path;
    while (path.size() < bytes) {
        if (!path.isEmpty())
            path += u'/';
        path += QString(std::min<qsizetype>(200, bytes - path.size()), u'p');
    }
    return path;
}

QString repeated(const QString& unit, int count)
{
    QString s;
    for (int i = 0; i < count; ++i)
        s += unit;
    return s;
}

} // namespace

TEST(SafeRelativePath, AcceptsOrdinaryPathsUnchanged)
{
    for (const QStringView text : {u"mods/example.jar", u"config/a b/c.cfg", u".minecraft/x", u"a.b/c-d_e",
                               u"caf\u00e9/\u00c4.jar", u"x\u0085y"}) {
        EXPECT_EQ(SafeRelativePath(text.toString()).rawValue(), text);
        EXPECT_EQ(SafeRelativePath::parse(text.toString()), text);
    }
}

TEST(SafeRelativePath, RefusesEscapesAndAmbiguousPiecesNamingTheText)
{
    for (const QStringView text :
         {u"", u"../x", u"a/../b", u"..", u"a/./b", u"./a", u".", u"/abs", u"/etc/x", u"~x", u"~/x", u"a\\b",
          u"a//b", u"a/", u"D:/x", u"a/b:c", u"a./b", u"name.", u"...", u"a /b", u"a/b ", u"a\tb", u"a\u007fb",
          u"a\nb"}) {
        EXPECT_EQ(refusalOf(text.toString()), unsafe(text.toString())) << text.toString().toStdString();
    }
    const QString withNul = QStringLiteral("a") + QChar(0) + QStringLiteral("b");
    EXPECT_EQ(refusalOf(withNul), unsafe(withNul));
}

TEST(SafeRelativePath, RefusesTextWithoutAUtf8Form)
{
    // A lone surrogate would become "?" or U+FFFD in UTF-8: refused, never replaced.
    const QString lone = QStringLiteral("mods/a") + QChar(0xD800) + QStringLiteral(".jar");
    EXPECT_EQ(refusalOf(lone), unsafe(lone));
    EXPECT_EQ(refusalOf(QString(QChar(0xDC00))), unsafe(QString(QChar(0xDC00))));
    EXPECT_NO_THROW(SafeRelativePath(QString::fromUtf8("mods/\U0001F600.jar")));
}

TEST(SafeRelativePath, LengthsCountUtf8Bytes)
{
    EXPECT_NO_THROW(SafeRelativePath(asciiPathOf(1024)));
    EXPECT_EQ(refusalOf(asciiPathOf(1025)), unsafe(asciiPathOf(1025)));
    EXPECT_NO_THROW(SafeRelativePath(QString(255, u'x')));
    EXPECT_EQ(refusalOf(QString(256, u'x')), unsafe(QString(256, u'x')));

    // Three-byte and four-byte characters: counting characters or UTF-16 units instead would pass these.
    const QString euro = QStringLiteral("\u20ac");
    EXPECT_NO_THROW(SafeRelativePath(repeated(euro, 85)));               // 255 bytes
    EXPECT_THROW(SafeRelativePath(repeated(euro, 86)), OrvaneError);     // 258 bytes
    const QString smile = QString::fromUtf8("\U0001F600");
    EXPECT_NO_THROW(SafeRelativePath(repeated(smile, 63) + QStringLiteral("abc"))); // 255 bytes
    EXPECT_THROW(SafeRelativePath(repeated(smile, 64)), OrvaneError);              // 256 bytes
    const QString wide = repeated(repeated(QStringLiteral("\u00e9"), 127) + QStringLiteral("/"), 4)
        + QStringLiteral("abc"); // 4 × 255 + 3 = 1023 bytes
    EXPECT_NO_THROW(SafeRelativePath(wide + u'd'));
    EXPECT_THROW(SafeRelativePath(wide + QChar(0xE9)), OrvaneError); // 1025 bytes
}

TEST(SafeRelativePath, RefusesTextThatIsNotAlreadyComposed)
{
    const QString decomposed = QString::fromUtf8("mods/Cafe\u0301.jar");
    EXPECT_EQ(refusalOf(decomposed), unsafe(decomposed));
    EXPECT_NO_THROW(SafeRelativePath(QString::fromUtf8("mods/Caf\u00e9.jar")));
    // Singletons that composition replaces with another letter: look-alikes of K and Å.
    for (const char16_t singleton : {u'\u212A', u'\u212B', u'\u2126'}) {
        const QString text = QStringLiteral("mods/") + QChar(singleton) + QStringLiteral(".jar");
        EXPECT_EQ(refusalOf(text), unsafe(text));
    }
}

TEST(SafeRelativePath, WorldSavePieceInAnyCase)
{
    for (const QStringView path : {u"saves", u"saves/World/level.dat", u"x/SAVES", u"config/Saves/x", u"//saves//"})
        EXPECT_TRUE(isWorldSavePath(path)) << path.toString().toStdString();
    for (const QStringView path : {u"savesx/a", u"my-saves/a", u"saves2", u"save/s", u"mods/saves.jar"})
        EXPECT_FALSE(isWorldSavePath(path)) << path.toString().toStdString();
}

TEST(SafeRelativePath, CollisionKeyJoinsCaseAndNormalForms)
{
    EXPECT_EQ(pathCollisionKey(QStringLiteral("Mods/A.jar")), pathCollisionKey(QStringLiteral("mods/a.jar")));
    const QString composed = QString::fromUtf8("Mods/\u00c4.jar");
    const QString decomposed = QString::fromUtf8("mods/A\u0308.jar");
    EXPECT_EQ(pathCollisionKey(composed), pathCollisionKey(decomposed));
    EXPECT_EQ(pathCollisionKey(composed), QString::fromUtf8("mods/\u00e4.jar"));
    // A Cyrillic letter that looks Latin is another name, not a collision.
    EXPECT_NE(pathCollisionKey(QStringLiteral("mods/a.jar")), pathCollisionKey(QString::fromUtf8("mods/\u0430.jar")));
}

TEST(SafeRelativePath, CollisionKeyJoinsNamesACaseInsensitiveVolumeTreatsAsOne)
{
    struct Case {
        const char16_t* a;
        const char16_t* b;
        bool collide;
    };
    const Case cases[] = {
        {u"mods/\u03c3.jar", u"mods/\u03c2.jar", true}, // σ and final ς
        {u"mods/\u03a3.jar", u"mods/\u03c2.jar", true}, // Σ and final ς
        {u"mods/s.jar", u"mods/\u017f.jar", true},       // s and long ſ
        {u"\u017f", u"S", true},
        {u"mods/\u00b5.jar", u"mods/\u03bc.jar", true}, // micro sign and μ
        {u"m/\u00df", u"m/\u1e9e", true},               // ß and ẞ
        {u"m/\u0130", u"m/i\u0307", true},              // İ and the "i" with a dot it lowers to
        {u"m/\u00df", u"m/ss", true},                   // full folding: one letter may become two
        {u"m/\u0130", u"m/i", false},
        {u"m/\u0131", u"m/i", false},                   // dotless ı
    };
    for (const Case& c : cases) {
        const QString a = QString::fromUtf16(c.a);
        const QString b = QString::fromUtf16(c.b);
        SCOPED_TRACE(a.toStdString() + " / " + b.toStdString());
        EXPECT_EQ(pathCollisionKey(a) == pathCollisionKey(b), c.collide);
    }
}

TEST(SafeRelativePath, JsonIsTheBareStringAndDecodingRunsTheRules)
{
    const SafeRelativePath path(QStringLiteral("mods/x.jar"));
    EXPECT_EQ(toJson(path), QJsonValue(QStringLiteral("mods/x.jar")));
    EXPECT_EQ(fromJson<SafeRelativePath>(toJson(path)), path);
    try {
        fromJson<SafeRelativePath>(QJsonValue(QStringLiteral("../x")));
        ADD_FAILURE() << "decoded an unsafe path";
    } catch (const DecodingError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("Unsafe relative path"));
    }
    EXPECT_THROW(fromJson<SafeRelativePath>(QJsonValue(5)), DecodingError);
    EXPECT_EQ(QSet<SafeRelativePath>({path, SafeRelativePath(QStringLiteral("mods/x.jar"))}).size(), 1);
}
