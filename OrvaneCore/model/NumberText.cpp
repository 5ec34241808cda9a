#include "model/NumberText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <optional>

namespace orvane {

namespace {

std::optional<QString> nonFiniteText(double value)
{
    if (std::isnan(value))
        return QStringLiteral("nan");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-inf") : QStringLiteral("inf");
    return std::nullopt;
}

} // namespace

QString fixedDecimalText(double value, int fractionDigits)
{
    if (const auto text = nonFiniteText(value))
        return *text;
    // Enough for DBL_MAX's 309 integral digits and the longest fraction asked for.
    constexpr int maximumFractionDigits = 340;
    const int digits = std::clamp(fractionDigits, 0, maximumFractionDigits);
    std::array<char, 320 + maximumFractionDigits> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            std::chars_format::fixed, digits);
    if (error != std::errc())
        return {};
    return QString::fromLatin1(buffer.data(), end - buffer.data());
}

QString shortestDecimalText(double value)
{
    if (const auto text = nonFiniteText(value))
        return *text;
    const double magnitude = std::fabs(value);
    const bool exponent = magnitude != 0 && (magnitude < 1e-4 || magnitude > 0x1.0p53);
    std::array<char, 64> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                            exponent ? std::chars_format::scientific : std::chars_format::fixed);
    if (error != std::errc())
        return {};
    QString text = QString::fromLatin1(buffer.data(), end - buffer.data());
    if (!exponent && !text.contains(QLatin1Char('.')))
        text += QStringLiteral(".0");
    return text;
}

} // namespace orvane
