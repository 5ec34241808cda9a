#include "model/CoreResources.h"

#include "model/OrvaneError.h"

#include <QFile>

#include <mutex>

// The core is a static library: without this reference the linker drops the compiled resources.
static void registerCoreResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace orvane::CoreResources {

namespace {

std::mutex lookupMutex;
Lookup installedLookup;

} // namespace

std::optional<QByteArray> embedded(const QString& name, const QString& extension)
{
    static std::once_flag registered;
    std::call_once(registered, registerCoreResources);

    QFile file(QStringLiteral(":/orvane/") + name + QLatin1Char('.') + extension);
    if (!file.exists())
        return std::nullopt;
    if (!file.open(QIODevice::ReadOnly))
        throw OrvaneError::io(QStringLiteral("Orvane could not read its bundled %1.%2: %3.")
                                  .arg(name, extension, file.errorString()));
    return file.readAll();
}

std::optional<QByteArray> data(const QString& name, const QString& extension)
{
    Lookup lookup;
    {
        const std::lock_guard lock(lookupMutex);
        lookup = installedLookup;
    }
    return lookup ? lookup(name, extension) : embedded(name, extension);
}

Lookup setLookup(Lookup lookup)
{
    const std::lock_guard lock(lookupMutex);
    std::swap(installedLookup, lookup);
    return lookup;
}

} // namespace orvane::CoreResources
