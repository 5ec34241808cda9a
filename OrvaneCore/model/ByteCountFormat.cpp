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

QString groupedDigits(std::uint64_t value)
{
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits;
}

} // namespace

QString fileByteCountText(std::int64_t byteCount)
{
    if (byteCount == 0)
        return QStringLiteral("Zero KB");
    const bool negative = byteCount < 0;
    // Magnitude without overflow for INT64_MIN.
    const std::uint64_t magnitude = negative ? std::uint64_t(0) - std::uint64_t(byteCount) : std::uint64_t(byteCount);
    const QString sign = negative ? QStringLiteral("-") : QString();

    if (magnitude < 1000)
        return sign + QString::number(magnitude) + (magnitude == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));

    std::size_t k = 1;
    while (k + 1 < kUnits.size() && magnitude >= powerOfTen(3 * int(k + 1)))
        ++k;
    for (;;) {
        const int digits = kUnits[k].fractionDigits;
        const std::uint64_t scale = powerOfTen(digits);
        // Number of 10^-digits steps of the unit; 3k >= digits for every unit, so this divides exactly.
        const std::uint64_t steps = roundedQuotient(magnitude, powerOfTen(3 * int(k) - digits));
        const std::uint64_t whole = steps / scale;
        // 999,999 bytes round to 1,000 KB: say 1 MB instead.
        if (whole >= 1000 && k + 1 < kUnits.size()) {
            ++k;
            continue;
        }
        QString text = sign + groupedDigits(whole);
        std::uint64_t fraction = steps % scale;
        if (fraction != 0) {
            QString fractionText = QString::number(fraction).rightJustified(digits, QLatin1Char('0'));
            while (fractionText.endsWith(QLatin1Char('0')))
                fractionText.chop(1);
            text += QLatin1Char('.') + fractionText;
        }
        return text + QLatin1Char(' ') + QLatin1String(kUnits[k].name);
    }
}

} // namespace orvane
