#include "ui/theme/PixelHeadingFont.h"

#include <QHash>
#include <QTextBoundaryFinder>

namespace orvane {

namespace {

using Glyph = PixelHeadingFont::Glyph;

const QHash<QString, Glyph>& table()
{
    // clang-format off
    static const QHash<QString, Glyph> glyphs{
        {QStringLiteral(" "), {0, 0, 0, 0, 0, 0, 0}},
        {QStringLiteral("/"), {1, 2, 4, 8, 16, 0, 0}},
        {QStringLiteral("-"), {0, 0, 0, 31, 0, 0, 0}},
        {QStringLiteral("."), {0, 0, 0, 0, 0, 0, 4}},
        {QStringLiteral("0"), {14, 17, 19, 21, 25, 17, 14}},
        {QStringLiteral("1"), {4, 12, 4, 4, 4, 4, 14}},
        {QStringLiteral("2"), {14, 17, 1, 2, 4, 8, 31}},
        {QStringLiteral("3"), {14, 17, 1, 6, 1, 17, 14}},
        {QStringLiteral("4"), {2, 6, 10, 18, 31, 2, 2}},
        {QStringLiteral("5"), {31, 16, 30, 1, 1, 17, 14}},
        {QStringLiteral("6"), {14, 16, 16, 30, 17, 17, 14}},
        {QStringLiteral("7"), {31, 1, 2, 4, 8, 8, 8}},
        {QStringLiteral("8"), {14, 17, 17, 14, 17, 17, 14}},
        {QStringLiteral("9"), {14, 17, 17, 15, 1, 1, 14}},
        {QStringLiteral("A"), {14, 17, 17, 31, 17, 17, 17}},
        {QStringLiteral("B"), {30, 17, 17, 30, 17, 17, 30}},
        {QStringLiteral("C"), {14, 17, 16, 16, 16, 17, 14}},
        {QStringLiteral("D"), {30, 17, 17, 17, 17, 17, 30}},
        {QStringLiteral("E"), {31, 16, 16, 30, 16, 16, 31}},
        {QStringLiteral("F"), {31, 16, 16, 30, 16, 16, 16}},
        {QStringLiteral("G"), {14, 17, 16, 23, 17, 17, 14}},
        {QStringLiteral("H"), {17, 17, 17, 31, 17, 17, 17}},
        {QStringLiteral("I"), {14, 4, 4, 4, 4, 4, 14}},
        {QStringLiteral("J"), {7, 2, 2, 2, 2, 18, 12}},
        {QStringLiteral("K"), {17, 18, 20, 24, 20, 18, 17}},
        {QStringLiteral("L"), {16, 16, 16, 16, 16, 16, 31}},
        {QStringLiteral("M"), {17, 27, 21, 21, 17, 17, 17}},
        {QStringLiteral("N"), {17, 25, 21, 19, 17, 17, 17}},
        {QStringLiteral("O"), {14, 17, 17, 17, 17, 17, 14}},
        {QStringLiteral("P"), {30, 17, 17, 30, 16, 16, 16}},
        {QStringLiteral("Q"), {14, 17, 17, 17, 21, 18, 13}},
        {QStringLiteral("R"), {30, 17, 17, 30, 20, 18, 17}},
        {QStringLiteral("S"), {15, 16, 16, 14, 1, 1, 30}},
        {QStringLiteral("T"), {31, 4, 4, 4, 4, 4, 4}},
        {QStringLiteral("U"), {17, 17, 17, 17, 17, 17, 14}},
        {QStringLiteral("V"), {17, 17, 17, 17, 17, 10, 4}},
        {QStringLiteral("W"), {17, 17, 17, 21, 21, 21, 10}},
        {QStringLiteral("X"), {17, 17, 10, 4, 10, 17, 17}},
        {QStringLiteral("Y"), {17, 17, 10, 4, 4, 4, 4}},
        {QStringLiteral("Z"), {31, 1, 2, 4, 8, 16, 31}},
    };
    // clang-format on
    return glyphs;
}

} // namespace

QStringList PixelHeadingFont::characters(const QString& text)
{
    QStringList result;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype start = 0;
    while (finder.toNextBoundary() != -1) {
        const qsizetype end = finder.position();
        result.append(text.mid(start, end - start));
        start = end;
    }
    return result;
}

PixelHeadingFont::Glyph PixelHeadingFont::glyph(const QString& character)
{
    const auto& glyphs = table();
    if (const auto found = glyphs.constFind(character); found != glyphs.cend())
        return *found;
    const QString upper = character.toUpper();
    if (characters(upper).size() == 1)
        if (const auto found = glyphs.constFind(upper); found != glyphs.cend())
            return *found;
    return fallback;
}

} // namespace orvane
