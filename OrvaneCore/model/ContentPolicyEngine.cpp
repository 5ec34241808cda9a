#include "model/ContentPolicyEngine.h"

#include "json/JsonReader.h"
#include "model/CoreResources.h"
#include "model/OrvaneError.h"

#include <QRegularExpression>

namespace orvane {

ContentPolicyEngine ContentPolicyEngine::loadFromResources()
{
    const auto bytes = CoreResources::data(QStringLiteral("content-rights"), QStringLiteral("json"));
    if (!bytes)
        throw OrvaneError::policyDenied(QStringLiteral("Bundled content-rights registry is missing."));
    const JsonReader reader = JsonReader::parse(*bytes, QStringLiteral("content-rights.json"));
    return ContentPolicyEngine{fromJson<ContentRegistry>(reader.object()), QDateTime::currentDateTimeUtc()};
}

std::optional<QDateTime> reviewExpiryInstant(const QString& reviewExpires)
{
    // Anchored with \A and \z: "$" would also accept a trailing line feed.
    static const QRegularExpression pattern(QStringLiteral("\\A([0-9]{4})-([0-9]{2})-([0-9]{2})\\z"));
    const auto match = pattern.match(reviewExpires);
    if (!match.hasMatch())
        return std::nullopt;
    // QDate refuses an impossible day instead of rolling it over into the next month.
    const QDate day(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
    if (!day.isValid())
        return std::nullopt;
    return QDateTime(day, QTime(0, 0), Qt::UTC);
}

void ContentPolicyEngine::authorize(const std::vector<QString>& requiredComponents) const
{
    for (const QString& id : requiredComponents) {
        const auto found = record(id);
        if (!found)
            throw OrvaneError::policyDenied(QStringLiteral("Unknown required component: ") + id);
        if (found->revoked)
            throw OrvaneError::policyDenied(QStringLiteral("Revoked component: ") + id);
        if (!found->permitted)
            throw OrvaneError::policyDenied(QStringLiteral("Component is not permitted: ") + id);
        // An engine without a valid instant cannot tell a review is current, so it passes none.
        const auto expires = reviewExpiryInstant(found->reviewExpires);
        if (!expires || !now.isValid() || *expires < now)
            throw OrvaneError::policyDenied(QStringLiteral("Component review expired: ") + id);
        if (found->deliveryMethod == QLatin1String("forbidden"))
            throw OrvaneError::policyDenied(QStringLiteral("Component delivery is forbidden: ") + id);
    }
}

std::optional<ContentRightsRecord> ContentPolicyEngine::record(const QString& id) const
{
    for (const auto& candidate : registry.records) {
        if (candidate.id == id)
            return candidate;
    }
    return std::nullopt;
}

void ContentPolicyEngine::refuseNonOverlayPaths(const std::vector<QString>& relativePaths)
{
    for (const QString& path : relativePaths) {
        const QString lower = path.toLower();
        if (lower.endsWith(QLatin1String(".jar")) || lower.endsWith(QLatin1String(".zip")))
            throw OrvaneError::overlayRefused(QStringLiteral("Stage 1 will not add ") + path
                                              + QStringLiteral(". Only configuration overlays are allowed."));
    }
}

} // namespace orvane
