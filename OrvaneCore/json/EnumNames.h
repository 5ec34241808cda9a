#pragma once

#include <QString>

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace orvane {

// Each enumeration written to JSON specialises EnumNames with its case names in declaration order:
//   template <> struct EnumNames<BackupKind> { static constexpr std::array names{"preOverlay", "manual", "saves"}; };
// The enumerators must be 0, 1, 2, … in that same order.
template <class E>
struct EnumNames;

template <class E>
QString enumName(E value)
{
    const auto index = static_cast<std::size_t>(value);
    const auto& names = EnumNames<E>::names;
    return index < names.size() ? QString::fromLatin1(names[index]) : QString();
}

// The case whose name is exactly `name`, or nothing.
template <class E>
std::optional<E> enumFromName(const QString& name)
{
    const auto& names = EnumNames<E>::names;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (name == QLatin1String(names[i]))
            return static_cast<E>(i);
    }
    return std::nullopt;
}

} // namespace orvane
