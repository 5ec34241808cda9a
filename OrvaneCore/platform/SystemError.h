#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace orvane {

// Throws std::system_error for errno `error`; what() reads "<operation> <path>: <strerror text>".
[[noreturn]] void throwSystemError(int error, std::string_view operation, const std::filesystem::path& path);

// The same with the current errno.
[[noreturn]] void throwErrno(std::string_view operation, const std::filesystem::path& path);

} // namespace orvane
