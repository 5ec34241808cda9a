#include "technic/OfficialLinks.h"

#include "model/TechnicSite.h"

#include <QString>

namespace orvane::OfficialLinks {

namespace {

QUrl siteUrl(const char* path)
{
    return QUrl(QStringLiteral("https://") + QLatin1String(technicSiteDomain) + QLatin1String(path));
}

} // namespace

const QUrl& download()
{
    static const QUrl url = siteUrl("/download");
    return url;
}

const QUrl& modpackPage()
{
    static const QUrl url = siteUrl("/modpack/tekkit-2.1935271");
    return url;
}

} // namespace orvane::OfficialLinks
