#include "platform/SystemError.h"

#include <cerrno>
#include <string>

namespace orvane {

void throwSystemError(int error, std::string_view operation, const std::filesystem::path& path)
{
    std::string what(operation);
    what += ' ';
    what += path.native();
    throw std::system_error(error, std::generic_category(), what);
}

void throwErrno(std::string_view operation, const std::filesystem::path& path)
{
    throwSystemError(errno, operation, path);
}

} // namespace orvane
