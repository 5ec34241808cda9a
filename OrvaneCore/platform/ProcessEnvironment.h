#pragma once

#include <QString>

#include <filesystem>
#include <map>
#include <optional>

namespace orvane {

// The environment handed to a child process: variable name to value.
using ProcessEnvironment = std::map<QString, QString>;

// This process's own environment. Entries that are not valid UTF-8 are left out: they could not be
// passed on faithfully as text.
ProcessEnvironment currentProcessEnvironment();

// A regular file (links followed) that this process may execute.
bool isExecutableFile(const std::filesystem::path& path);

// Where a program named without a "/" is found: the first executable regular file of that name in the
// folders of PATH (taken from `environment`, or from this process when absent). A name with a "/" is
// returned as it is. Nothing when no folder holds it.
std::optional<std::filesystem::path> findExecutable(const std::filesystem::path& program,
                                                    const std::optional<ProcessEnvironment>& environment);

} // namespace orvane
