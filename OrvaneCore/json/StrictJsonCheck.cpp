#include "json/StrictJsonCheck.h"

#include "json/DecodingError.h"

#include <QJsonParseError>
#include <QSet>
#include <QString>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

namespace orvane {

namespace {

// Whether the number literal `text` (valid JSON) stands for exactly the whole number ±`magnitude`.
bool isWholeNumber(QByteArrayView text, std::uint64_t magnitude)
{
    qsizetype i = text.startsWith('-') ? 1 : 0;
    const auto isDigit = [&] { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
    std::string digits;
    std::int64_t shift = 0; // the value is digits × 10^shift
    while (isDigit())
        digits += text[i++];
    if (i < text.size() && text[i] == '.') {
        ++i;
        for (; isDigit(); --shift)
            digits += text[i++];
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+'))
            ++i;
        // Saturated: far beyond any length a document can have, so the sum below cannot overflow.
        std::int64_t exponent = 0;
        for (; isDigit(); ++i)
            exponent = std::min<std::int64_t>(exponent * 10 + (text[i] - '0'), 1'000'000'000);
        shift += negative ? -exponent : exponent;
    }
    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.empty())
        return magnitude == 0;
    if (shift < 0) {
        // The digits that fall after the decimal point must all be zero.
        if (std::uint64_t(-shift) >= digits.size())
            return false;
        const std::size_t whole = digits.size() - std::size_t(-shift);
        if (digits.find_first_not_of('0', whole) != std::string::npos)
            return false;
        digits.resize(whole);
    } else {
        if (digits.size() + std::uint64_t(shift) > 20) // 2^64 has 20 digits
            return false;
        digits.append(std::size_t(shift), '0');
    }
    return digits == std::to_string(magnitude);
}

// Qt keeps an integer of the signed 64-bit range exactly and reads every other number as a double.
// A double is approximate by nature, but when it lands on a whole number below 2^64 an integer
// field would take it as written: that must then be the number the text stands for (2^63 + 1 is
// not 2^63). Nothing at or beyond 2^64 is read as an integer.
bool isHeldExactly(QByteArrayView literal)
{
    const char* end = literal.data() + literal.size();
    std::int64_t integer = 0;
    if (const auto [at, error] = std::from_chars(literal.data(), end, integer); error == std::errc() && at == end)
        return true;
    bool ok = false;
    const double value = QByteArray::fromRawData(literal.data(), literal.size()).toDouble(&ok);
    // A number Qt cannot convert is refused by its own parser; one that is not whole is never read
    // as an integer.
    if (!ok || !std::isfinite(value) || std::trunc(value) != value || std::fabs(value) >= 18446744073709551616.0)
        return true;
    return isWholeNumber(literal, std::uint64_t(std::fabs(value)));
}

class StrictScanner final {
public:
    StrictScanner(QByteArrayView bytes, int maximumDepth) : m_bytes(bytes), m_maximumDepth(maximumDepth) {}

    void run()
    {
        skipSpace();
        value(1);
        skipSpace();
        if (m_at != m_bytes.size())
            fail("unexpected text after the value");
    }

private:
    [[noreturn]] void fail(const char* problem) const
    {
        throw DecodingError(QStringLiteral("Invalid JSON: %1 at offset %2.").arg(QLatin1String(problem)).arg(m_at));
    }

    bool atEnd() const { return m_at >= m_bytes.size(); }
    unsigned char peek() const { return atEnd() ? 0 : static_cast<unsigned char>(m_bytes[m_at]); }

    void skipSpace()
    {
        while (!atEnd()) {
            const unsigned char c = peek();
            if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
                return;
            ++m_at;
        }
    }

    void expect(char c, const char* problem)
    {
        if (atEnd() || peek() != static_cast<unsigned char>(c))
            fail(problem);
        ++m_at;
    }

    void value(int depth)
    {
        if (atEnd())
            fail("a value is missing");
        switch (peek()) {
        case '{': return object(depth);
        case '[': return array(depth);
        case '"': string(nullptr); return;
        case 't': return literal("true");
        case 'f': return literal("false");
        case 'n': return literal("null");
        default: return number();
        }
    }

    void object(int depth)
    {
        if (depth > m_maximumDepth)
            fail("nesting is too deep");
        ++m_at; // '{'
        skipSpace();
        if (peek() == '}') {
            ++m_at;
            return;
        }
        QSet<QString> keys;
        for (;;) {
            skipSpace();
            if (peek() != '"')
                fail("an object key must be a string");
            const qsizetype keyStart = m_at;
            QString key;
            string(&key);
            if (keys.contains(key)) {
                m_at = keyStart;
                fail("a key appears twice in one object");
            }
            keys.insert(key);
            skipSpace();
            expect(':', "\":\" is missing after a key");
            skipSpace();
            value(depth + 1);
            skipSpace();
            if (peek() == ',') {
                ++m_at;
                continue;
            }
            expect('}', "\",\" or \"}\" is missing");
            return;
        }
    }

    void array(int depth)
    {
        if (depth > m_maximumDepth)
            fail("nesting is too deep");
        ++m_at; // '['
        skipSpace();
        if (peek() == ']') {
            ++m_at;
            return;
        }
        for (;;) {
            skipSpace();
            value(depth + 1);
            skipSpace();
            if (peek() == ',') {
                ++m_at;
                continue;
            }
            expect(']', "\",\" or \"]\" is missing");
            return;
        }
    }

    void literal(const char* word)
    {
        for (const char* w = word; *w; ++w) {
            if (atEnd() || peek() != static_cast<unsigned char>(*w))
                fail("invalid literal");
            ++m_at;
        }
    }

    bool digit() const { return !atEnd() && peek() >= '0' && peek() <= '9'; }

    void digits()
    {
        if (!digit())
            fail("invalid number");
        while (digit())
            ++m_at;
    }

    void number()
    {
        const qsizetype start = m_at;
        if (peek() == '-')
            ++m_at;
        if (peek() == '0')
            ++m_at;
        else
            digits();
        if (peek() == '.') {
            ++m_at;
            digits();
        }
        if (peek() == 'e' || peek() == 'E') {
            ++m_at;
            if (peek() == '+' || peek() == '-')
                ++m_at;
            digits();
        }
        const QByteArrayView literal = m_bytes.sliced(start, m_at - start);
        if (!isHeldExactly(literal)) {
            m_at = start;
            fail("a number that would be read as another whole number");
        }
    }

    unsigned hex4()
    {
        unsigned v = 0;
        for (int i = 0; i < 4; ++i) {
            const unsigned char c = peek();
            unsigned d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'a' && c <= 'f')
                d = c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                fail("invalid \\u escape");
            v = v * 16 + d;
            ++m_at;
        }
        return v;
    }

    static void append(QString* out, char32_t scalar)
    {
        if (out)
            out->append(QStringView(QChar::fromUcs4(scalar)));
    }

    // One string; its decoded text goes to `out` when given (keys only, so values cost nothing extra).
    void string(QString* out)
    {
        ++m_at; // '"'
        for (;;) {
            if (atEnd())
                fail("a string is not closed");
            const unsigned char c = peek();
            if (c == '"') {
                ++m_at;
                return;
            }
            if (c < 0x20)
                fail("a control character in a string");
            if (c == '\\') {
                escape(out);
                continue;
            }
            if (c < 0x80) {
                if (out)
                    out->append(QLatin1Char(char(c)));
                ++m_at;
                continue;
            }
            append(out, utf8Scalar());
        }
    }

    void escape(QString* out)
    {
        ++m_at; // '\\'
        const unsigned char c = peek();
        ++m_at;
        switch (c) {
        case '"': append(out, U'"'); return;
        case '\\': append(out, U'\\'); return;
        case '/': append(out, U'/'); return;
        case 'b': append(out, U'\b'); return;
        case 'f': append(out, U'\f'); return;
        case 'n': append(out, U'\n'); return;
        case 'r': append(out, U'\r'); return;
        case 't': append(out, U'\t'); return;
        case 'u': break;
        default: --m_at; fail("invalid escape");
        }
        const unsigned unit = hex4();
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            fail("an unpaired surrogate escape");
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (peek() != '\\')
                fail("an unpaired surrogate escape");
            ++m_at;
            if (peek() != 'u')
                fail("an unpaired surrogate escape");
            ++m_at;
            const unsigned low = hex4();
            if (low < 0xDC00 || low > 0xDFFF)
                fail("an unpaired surrogate escape");
            append(out, char32_t(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
            return;
        }
        append(out, char32_t(unit));
    }

    // One multi-byte UTF-8 sequence, strictly: shortest form, no surrogates, at most U+10FFFF.
    char32_t utf8Scalar()
    {
        const unsigned char lead = peek();
        int length;
        char32_t scalar;
        char32_t minimum;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            scalar = lead & 0x1F;
            minimum = 0x80;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            scalar = lead & 0x0F;
            minimum = 0x800;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            scalar = lead & 0x07;
            minimum = 0x10000;
        } else {
            fail("invalid UTF-8");
        }
        ++m_at;
        for (int i = 1; i < length; ++i) {
            const unsigned char c = peek();
            if (atEnd() || (c & 0xC0) != 0x80)
                fail("invalid UTF-8");
            scalar = (scalar << 6) | (c & 0x3F);
            ++m_at;
        }
        if (scalar < minimum || scalar > 0x10FFFF || (scalar >= 0xD800 && scalar <= 0xDFFF)) {
            m_at -= length;
            fail("invalid UTF-8");
        }
        return scalar;
    }

    QByteArrayView m_bytes;
    int m_maximumDepth;
    qsizetype m_at = 0;
};

} // namespace

void checkStrictJson(QByteArrayView bytes, int maximumDepth)
{
    StrictScanner(bytes, maximumDepth).run();
}

QJsonDocument parseStrictJson(QByteArrayView bytes, int maximumDepth)
{
    checkStrictJson(bytes, maximumDepth);
    QJsonParseError error{};
    QJsonDocument document = QJsonDocument::fromJson(bytes.toByteArray(), &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodingError(QStringLiteral("Invalid JSON: %1 at offset %2.").arg(error.errorString()).arg(error.offset));
    return document;
}

} // namespace orvane
