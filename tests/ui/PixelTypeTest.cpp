#include "ui/theme/OrvaneTheme.h"
#include "ui/theme/OrvaneWordmark.h"
#include "ui/theme/PickaxeMotif.h"
#include "ui/theme/PixelHeading.h"
#include "ui/theme/PixelHeadingFont.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <QPainter>

using namespace orvane;

namespace {

QImage render(const QString& text, qreal pixel, int tracking)
{
    const QSizeF size = PixelHeading::measure(text, pixel, tracking);
    QImage image(std::max(1, int(size.width())), int(size.height()), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PixelHeading::paint(painter, {0, 0}, text, pixel, Qt::white, tracking);
    return image;
}

// The glyph read back from a rendering at pixel 1, character `index`.
PixelHeadingFont::Glyph readBack(const QImage& image, int index, int tracking)
{
    PixelHeadingFont::Glyph rows{};
    const int left = index * (PixelHeadingFont::glyphWidth + tracking);
    for (int r = 0; r < PixelHeadingFont::glyphHeight; ++r)
        for (int c = 0; c < PixelHeadingFont::glyphWidth; ++c)
            if (qAlpha(image.pixel(left + c, r)) > 128)
                rows[std::size_t(r)] |= std::uint8_t(16 >> c);
    return rows;
}

} // namespace

TEST(PixelHeadingFont, LooksUpTheTableItsUpperCaseFormOrTheBox)
{
    using G = PixelHeadingFont::Glyph;
    struct Case {
        QString character;
        G expected;
    };
    const Case cases[] = {
        {QStringLiteral(" "), G{0, 0, 0, 0, 0, 0, 0}},
        {QStringLiteral("/"), G{1, 2, 4, 8, 16, 0, 0}},
        {QStringLiteral("-"), G{0, 0, 0, 31, 0, 0, 0}},
        {QStringLiteral("."), G{0, 0, 0, 0, 0, 0, 4}},
        {QStringLiteral("0"), G{14, 17, 19, 21, 25, 17, 14}},
        {QStringLiteral("4"), G{2, 6, 10, 18, 31, 2, 2}},
        {QStringLiteral("9"), G{14, 17, 17, 15, 1, 1, 14}},
        {QStringLiteral("A"), G{14, 17, 17, 31, 17, 17, 17}},
        {QStringLiteral("G"), G{14, 17, 16, 23, 17, 17, 14}},
        {QStringLiteral("Q"), G{14, 17, 17, 17, 21, 18, 13}},
        {QStringLiteral("S"), G{15, 16, 16, 14, 1, 1, 30}},
        {QStringLiteral("W"), G{17, 17, 17, 21, 21, 21, 10}},
        {QStringLiteral("Z"), G{31, 1, 2, 4, 8, 16, 31}},
        {QStringLiteral("q"), G{14, 17, 17, 17, 21, 18, 13}}, // through its upper-case form
        {QStringLiteral("z"), G{31, 1, 2, 4, 8, 16, 31}},
        {QStringLiteral("?"), PixelHeadingFont::fallback},
        {QStringLiteral("%"), PixelHeadingFont::fallback},
        {QStringLiteral("ß"), PixelHeadingFont::fallback}, // upper-case form "SS" is two characters
        {QStringLiteral("é"), PixelHeadingFont::fallback},
        {QStringLiteral("e\u0301"), PixelHeadingFont::fallback}, // one character of two scalars
        {QStringLiteral("AB"), PixelHeadingFont::fallback},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.character.toStdString());
        EXPECT_EQ(PixelHeadingFont::glyph(c.character), c.expected);
    }
    EXPECT_EQ(PixelHeadingFont::fallback, (PixelHeadingFont::Glyph{31, 17, 17, 17, 17, 17, 31}));
}

TEST(PixelHeading, MeasuresCharactersPixelAndTracking)
{
    struct Case {
        QString text;
        qreal pixel;
        int tracking;
        QSizeF expected;
    };
    const Case cases[] = {
        {QStringLiteral("DETAILS"), 2, 1, {82, 14}},
        {QStringLiteral("details"), 2, 1, {82, 14}},
        {QString(), 2, 1, {0, 14}},
        {QString(), 3, 1, {0, 21}},
        {QStringLiteral("A"), 4, 1, {20, 28}},
        {QStringLiteral("AB"), 1, 0, {10, 7}},
        {QStringLiteral("AB"), 1.5, 2, {18, 10.5}},
        {QStringLiteral("e\u0301"), 2, 1, {10, 14}}, // one character
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(PixelHeading::measure(c.text, c.pixel, c.tracking), c.expected);
    }
}

TEST(PixelHeading, DrawsTheGlyphBitsWithTrackingBetweenCharacters)
{
    const QImage image = render(QStringLiteral("A?7"), 1, 1);
    ASSERT_EQ(image.size(), QSize(17, 7));
    EXPECT_EQ(readBack(image, 0, 1), PixelHeadingFont::glyph('A'));
    EXPECT_EQ(readBack(image, 1, 1), PixelHeadingFont::fallback);
    EXPECT_EQ(readBack(image, 2, 1), PixelHeadingFont::glyph('7'));
    for (int y = 0; y < 7; ++y) {
        EXPECT_EQ(qAlpha(image.pixel(5, y)), 0) << "tracking column after the first character, row " << y;
        EXPECT_EQ(qAlpha(image.pixel(11, y)), 0) << "tracking column after the second character, row " << y;
    }
}

TEST(PixelHeading, LowerCaseDrawsAsUpperCaseAndKeepsItsLabel)
{
    EXPECT_EQ(render(QStringLiteral("details 1.2-x/"), 2, 1), render(QStringLiteral("DETAILS 1.2-X/"), 2, 1));

    PixelHeading heading(QStringLiteral("details"));
    EXPECT_EQ(heading.sizeHint(), QSize(82, 14));
    EXPECT_EQ(heading.color(), OrvaneTheme::textSecondary());
    QAccessibleInterface* element = QAccessible::queryAccessibleInterface(&heading);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->text(QAccessible::Name), QStringLiteral("details"));
}

TEST(OrvaneWordmark, FillsTwoCharactersOnTheGridWithAnEmptyGapAndOneLabel)
{
    OrvaneWordmark mark;
    EXPECT_EQ(mark.sizeHint(), QSize(60, 28));
    for (int row = 0; row < OrvaneWordmark::rows; ++row) {
        EXPECT_FALSE(OrvaneWordmark::isFilled(7, row)) << "column 7 separates the characters";
        if (row < 2) {
            for (int column = 0; column < 7; ++column)
                EXPECT_FALSE(OrvaneWordmark::isFilled(column, row)) << "the first character is two rows shorter";
        }
    }
    int firstCells = 0;
    int secondCells = 0;
    for (int row = 0; row < OrvaneWordmark::rows; ++row)
        for (int column = 0; column < OrvaneWordmark::columns; ++column)
            (column < 7 ? firstCells : secondCells) += OrvaneWordmark::isFilled(column, row);
    EXPECT_GT(firstCells, 10);
    EXPECT_GT(secondCells, 15);
    EXPECT_TRUE(OrvaneWordmark::isFilled(0, 3)) << "the first character reaches the grid's left edge";
    EXPECT_TRUE(OrvaneWordmark::isFilled(8, 0)) << "the second character is full height";
    EXPECT_TRUE(OrvaneWordmark::isFilled(14, 6));

    mark.resize(mark.sizeHint());
    const QImage image = mark.grab().toImage();
    for (int row = 0; row < OrvaneWordmark::rows; ++row)
        for (int column = 0; column < OrvaneWordmark::columns; ++column) {
            const QRgb centre = image.pixel(column * 4 + 2, row * 4 + 2);
            EXPECT_EQ(OrvaneWordmark::isFilled(column, row), qAlpha(centre) == 255 && qRed(centre) == 255)
                << column << "," << row;
        }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&mark)->text(QAccessible::Name), QStringLiteral("orvane"));
}

TEST(PickaxeMotif, HoldsFourteenLinesOf246CharactersPlacedByTheClampedRule)
{
    const QString& text = PickaxeMotif::text();
    EXPECT_EQ(text.size(), 246);
    EXPECT_EQ(text.count(QLatin1Char('\n')), 13);
    EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
    EXPECT_TRUE(text.startsWith(QStringLiteral("############\n///          #####   /\n")));
    EXPECT_TRUE(text.endsWith(QStringLiteral("\n ##   //\n##   //")));

    struct Case {
        QSizeF space;
        QPointF centre;
    };
    const Case cases[] = {
        {{1020, 800}, {230, 280}},
        {{1000, 757}, {230, 280}},
        {{640, 600}, {640 * 0.23, 600 * 0.37}},
        {{999, 756}, {999 * 0.23, 756 * 0.37}},
        {{2000, 1600}, {230, 280}},
        {{640, 900}, {640 * 0.23, 280}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1x%2").arg(c.space.width()).arg(c.space.height()).toStdString());
        EXPECT_DOUBLE_EQ(PickaxeMotif::centre(c.space).x(), c.centre.x());
        EXPECT_DOUBLE_EQ(PickaxeMotif::centre(c.space).y(), c.centre.y());
        const QRectF block = PickaxeMotif::textRect(QRectF(QPointF(0, 0), c.space));
        EXPECT_NEAR(block.center().x(), c.centre.x(), 1e-9);
        EXPECT_NEAR(block.center().y(), c.centre.y(), 1e-9);
    }
    EXPECT_DOUBLE_EQ(PickaxeMotif::opacity(false), 0.075);
    EXPECT_DOUBLE_EQ(PickaxeMotif::opacity(true), 0.16);
}
