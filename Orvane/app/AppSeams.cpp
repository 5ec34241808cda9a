#include "app/AppSeams.h"

#include "platform/FileOperations.h"
#include "technic/LauncherJavaReadiness.h"

namespace orvane {

AppSeams AppSeams::system()
{
    AppEnvironment environment = AppEnvironment::current();
    LauncherJavaProbe probe = launcherJavaCheck(environment);
    return AppSeams{
        std::move(environment),
        RememberedSettings::system(),
        BundleInfo::current(),
        std::move(probe),
        ReleaseFetcher::network(),
        std::make_shared<DisplaySnapshot>(),
        defaultReleaseHost(),
    };
}

LauncherJavaProbe AppSeams::launcherJavaCheck(AppEnvironment environment)
{
    return [environment = std::move(environment)] {
        return LauncherJavaReadiness::check(environment.environment, environment.jvmRoot, environment.hostArchitecture,
                                            *FileOperations::system())
            .isReady();
    };
}

QString AppSeams::defaultReleaseHost()
{
    return QStringLiteral(ORVANE_RELEASE_HOST);
}

} // namespace orvane
