#pragma once

#include "model/OrvaneError.h"

#include <filesystem>
#include <system_error>

namespace orvane {

// A process (or the whole system) out of file descriptors says nothing about the files it could not
// open: never read as missing, changed or "not a folder", always reported as what it is.

// True for EMFILE and ENFILE.
bool isOutOfOpenFiles(int error);
bool isOutOfOpenFiles(const std::error_code& code);
// True for the error outOfOpenFiles makes.
bool isOutOfOpenFiles(const OrvaneError& error);

// The I/O error for a failure to open `path` or an item below it for want of descriptors.
OrvaneError outOfOpenFiles(const std::filesystem::path& path);

// Where `error` came from a process out of descriptors: rethrows it when it is that error already,
// else throws outOfOpenFiles(path). Returns otherwise.
void rethrowIfOutOfOpenFiles(const std::exception& error, const std::filesystem::path& path);

} // namespace orvane
