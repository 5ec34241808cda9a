#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace orvane {

// The files embedded in the core (the Balanced profile, the content-rights registry), looked up by
// name and extension. Tests replace the lookup to try a missing or malformed resource.
namespace CoreResources {

// Given a name ("content-rights") and an extension ("json"): the bytes, nothing when there is no
// such resource, or a thrown error when it cannot be read.
using Lookup = std::function<std::optional<QByteArray>(const QString& name, const QString& extension)>;

// The bytes of a resource through the current lookup.
std::optional<QByteArray> data(const QString& name, const QString& extension);

// The embedded resources themselves, whatever lookup is installed.
std::optional<QByteArray> embedded(const QString& name, const QString& extension);

// Installs `lookup` (an empty one restores the embedded resources) and returns the one it replaced.
Lookup setLookup(Lookup lookup);

// Installs a lookup for its lifetime, then puts the previous one back.
class ScopedLookup final {
public:
    explicit ScopedLookup(Lookup lookup) : m_previous(setLookup(std::move(lookup))) {}
    ~ScopedLookup() { setLookup(std::move(m_previous)); }
    ScopedLookup(const ScopedLookup&) = delete;
    ScopedLookup& operator=(const ScopedLookup&) = delete;

private:
    Lookup m_previous;
};

} // namespace CoreResources

} // namespace orvane
