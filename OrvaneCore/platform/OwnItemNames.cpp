#include "platform/OwnItemNames.h"

#include <QByteArray>
#include <QUuid>

#include <string>

namespace orvane::ownItemNames {

namespace {

constexpr std::size_t kUuidLength = 36; // 8-4-4-4-12 digits

bool isUuidInCapitals(std::string_view text)
{
    if (text.size() != kUuidLength)
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != '-')
                return false;
        } else if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) {
            return false;
        }
    }
    return true;
}

} // namespace

std::filesystem::path fresh(std::string_view prefix)
{
    // Made as bytes: a restore names a stage for every file.
    const QByteArray uuid = QUuid::createUuid().toByteArray(QUuid::WithoutBraces).toUpper();
    std::string name(prefix);
    name.append(uuid.constData(), std::size_t(uuid.size()));
    return std::filesystem::path(std::move(name));
}

bool isFresh(std::string_view name, std::string_view prefix)
{
    return name.size() == prefix.size() + kUuidLength && name.substr(0, prefix.size()) == prefix
        && isUuidInCapitals(name.substr(prefix.size()));
}

} // namespace orvane::ownItemNames
