#include "app/BundleInfo.h"

#include <QRegularExpression>

namespace orvane {

BundleInfo BundleInfo::current()
{
    return BundleInfo{QStringLiteral(ORVANE_VERSION), QStringLiteral(ORVANE_BUILD_NUMBER)};
}

QString BundleInfo::runningVersion() const
{
    return shortVersion.value_or(QStringLiteral("0.0.0"));
}

std::int64_t BundleInfo::runningBuild() const
{
    static const QRegularExpression decimal(QRegularExpression::anchoredPattern(QStringLiteral("[+-]?[0-9]+")));
    if (!buildVersion || !decimal.match(*buildVersion).hasMatch())
        return 0;
    bool ok = false;
    const qlonglong build = buildVersion->toLongLong(&ok);
    return ok ? build : 0;
}

} // namespace orvane
