#include "model/ByteCountFormat.h"

#include <array>

namespace orvane {

namespace {

struct Unit {
    const char* name;
    int fractionDigits;
};

// Index k stands for 1000^k bytes.
constexpr std::array<Unit, 7> kUnits{{{"bytes", 0}, {"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}}};

const QChar kNoBreakSpace(0x00A0);

std::uint64_t powerOfTen(int exponent)
{
    std::uint64_t p = 1;
    for (int i = 0; i < exponent; ++i)
        p *= 10;
    return p;
}

// value / divisor rounded half to even, as the number formatter rounds.
std::uint64_t roundedQuotient(std::uint64_t value, std::uint64_t divisor)
{
    const std::uint64_t q = value / divisor;
    const std::uint64_t r = value % divisor;
    const std::uint64_t rest = divisor - r;
    if (r > rest || (r == rest && (q % 2) == 1))
        return q + 1;
    return q;
}

// A byte count in its unit, before it becomes text: the whole part, the fraction digits without
// trailing zeros, and the unit's index.
struct Amount {
    bool negative = false;
    std::uint64_t magnitude = 0;
    std::uint64_t whole = 0;
    QString fraction;
    std::size_t unit = 0;
};

Amount amountOf(std::int64_t byteCount)
{
    Amount amount;
    amount.negative = byteCount < 0;
    // Magnitude without overflow for INT64_MIN.
    amount.magnitude = amount.negative ? std::uint64_t(0) - std::uint64_t(byteCount) : std::uint64_t(byteCount);
    if (amount.magnitude < 1000) {
        amount.whole = amount.magnitude;
        return amount;
    }
    std::size_t k = 1;
    while (k + 1 < kUnits.size() && amount.magnitude >= powerOfTen(3 * int(k + 1)))
        ++k;
    for (;;) {
        const int digits = kUnits[k].fractionDigits;
        const std::uint64_t scale = powerOfTen(digits);
        // Number of 10^-digits steps of the unit; 3k >= digits for every unit, so this divides exactly.
        const std::uint64_t steps = roundedQuotient(amount.magnitude, powerOfTen(3 * int(k) - digits));
        const std::uint64_t whole = steps / scale;
        // 999,999 bytes round to 1,000 KB: say 1 MB instead.
        if (whole >= 1000 && k + 1 < kUnits.size()) {
            ++k;
            continue;
        }
        amount.whole = whole;
        amount.unit = k;
        if (const std::uint64_t fraction = steps % scale; fraction != 0) {
            amount.fraction = QString::number(fraction).rightJustified(digits, QLatin1Char('0'));
            while (amount.fraction.endsWith(QLatin1Char('0')))
                amount.fraction.chop(1);
        }
        return amount;
    }
}

QString groupedDigits(std::uint64_t value)
{
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

// The en_US text, its number and unit joined by `space`.
QString englishText(const Amount& amount, QChar space)
{
    if (amount.magnitude == 0)
        return QStringLiteral("Zero") + space + QStringLiteral("KB");
    const QString sign = amount.negative ? QStringLiteral("-") : QString();
    if (amount.unit == 0)
        return sign + QString::number(amount.whole) + space
            + (amount.magnitude == 1 ? QStringLiteral("byte") : QStringLiteral("bytes"));
    QString text = sign + groupedDigits(amount.whole);
    if (!amount.fraction.isEmpty())
        text += QLatin1Char('.') + amount.fraction;
    return text + space + QLatin1String(kUnits[amount.unit].name);
}

// The locale's own name of 1000^k bytes ("octets", "ko", "Mo" in French), as Qt's locale data has it.
QString localUnitName(const QLocale& locale, std::size_t k)
{
    const auto one = qint64(powerOfTen(3 * int(k)));
    const QString text = locale.formattedDataSize(one, 0, QLocale::DataSizeSIFormat);
    const QString number = locale.toString(1);
    return (text.startsWith(number) ? text.mid(number.size()) : text).trimmed();
}

QString localDigits(const QString& asciiDigits, const QLocale& locale)
{
    const QString zero = locale.zeroDigit();
    if (zero == QLatin1String("0"))
        return asciiDigits;
    // A zero beyond the BMP comes as a surrogate pair; the other digits follow it code point by code point.
    const char32_t first = zero.size() == 1 ? zero.at(0).unicode() : QChar::surrogateToUcs4(zero.at(0), zero.at(1));
    QString text;
    for (const QChar digit : asciiDigits) {
        const char32_t scalar = first + char32_t(digit.unicode() - u'0');
        text += QString::fromUcs4(&scalar, 1);
    }
    return text;
}

} // namespace

QString fileByteCountText(std::int64_t byteCount)
{
    return englishText(amountOf(byteCount), QLatin1Char(' '));
}

QString localizedFileByteCountText(std::int64_t byteCount, const QLocale& locale)
{
    const Amount amount = amountOf(byteCount);
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return englishText(amount, kNoBreakSpace);
    QString text = amount.negative ? locale.negativeSign() : QString();
    text += locale.toString(qulonglong(amount.whole));
    if (!amount.fraction.isEmpty())
        text += locale.decimalPoint() + localDigits(amount.fraction, locale);
    return text + kNoBreakSpace + localUnitName(locale, amount.magnitude == 0 ? 1 : amount.unit);
}

} // namespace orvane
