#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

namespace orvane {

// The 5 × 7 pixel font of the headings and its glyph table (space, "/", "-", ".", digits, A–Z).
class PixelHeadingFont final {
public:
    static constexpr int glyphWidth = 5;
    static constexpr int glyphHeight = 7;

    // Seven rows, top first; bit 4 (16) is the leftmost column, bit 0 the rightmost.
    using Glyph = std::array<std::uint8_t, glyphHeight>;

    // The hollow box drawn for every character the table lacks.
    static constexpr Glyph fallback{31, 17, 17, 17, 17, 17, 31};

    PixelHeadingFont() = delete;

    // `character` is one user-perceived character. It is looked up as is, then as its upper-case
    // form when that form is one character; otherwise the fallback box. Digits and the punctuation
    // entries match only themselves.
    static Glyph glyph(const QString& character);
    static Glyph glyph(char character) { return glyph(QString(QLatin1Char(character))); }

    // `text` split into user-perceived characters.
    static QStringList characters(const QString& text);
};

} // namespace orvane
