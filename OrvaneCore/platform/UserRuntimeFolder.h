#pragma once

#include "platform/ProcessEnvironment.h"

#include <QString>

#include <filesystem>

namespace orvane {

// A folder for this user's sockets and locks that no other user can enter or plant anything in:
// `<XDG_RUNTIME_DIR>/<name>` when XDG_RUNTIME_DIR names an absolute folder of this user that nobody
// else may write to, else `<TMPDIR or /tmp>/<name>-<uid>`. The folder is created 0700 when missing and
// narrowed to 0700 when wider. A link, a non-folder or a folder of another user in its place is refused
// with std::system_error, never used.
std::filesystem::path userRuntimeFolder(const ProcessEnvironment& environment, const QString& name);

} // namespace orvane
