#pragma once

#include <QString>

namespace orvane {

// This machine's host name as the kernel reports it (gethostname), or the empty text when it cannot
// be read or is not UTF-8.
QString currentHostName();

} // namespace orvane
