#include "records/OutOfOpenFiles.h"

#include "platform/PathText.h"

#include <cerrno>

namespace orvane {

namespace {

constexpr QLatin1String kOpening{"Orvane ran out of open files while reading "};

} // namespace

bool isOutOfOpenFiles(int error)
{
    return error == EMFILE || error == ENFILE;
}

bool isOutOfOpenFiles(const std::error_code& code)
{
    return (code.category() == std::generic_category() || code.category() == std::system_category())
        && isOutOfOpenFiles(code.value());
}

bool isOutOfOpenFiles(const OrvaneError& error)
{
    return error.kind() == OrvaneError::Kind::io && error.text().startsWith(kOpening);
}

OrvaneError outOfOpenFiles(const std::filesystem::path& path)
{
    return OrvaneError::io(kOpening + pathText(path) + QStringLiteral(". Nothing was changed."));
}

void rethrowIfOutOfOpenFiles(const std::exception& error, const std::filesystem::path& path)
{
    if (const auto* orvane = dynamic_cast<const OrvaneError*>(&error); orvane && isOutOfOpenFiles(*orvane))
        throw *orvane;
    if (const auto* system = dynamic_cast<const std::system_error*>(&error); system && isOutOfOpenFiles(system->code()))
        throw outOfOpenFiles(path);
}

} // namespace orvane
