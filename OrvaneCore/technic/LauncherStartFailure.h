#pragma once

#include "platform/ChildProcess.h"

#include <QByteArray>
#include <QString>

#include <chrono>

namespace orvane {

// A launcher started from its JAR that ended in its first seconds: whether that was a failed start,
// and what the user and the diagnostics are told about it.
namespace LauncherStartFailure {

// How long after the open an end of the launcher counts as a failed start. Later ends are left to
// the watch: the launcher may have handed over to a process of its own.
inline constexpr std::chrono::seconds window{5};

// A non-zero status or a signal. A zero status is no failure: the launcher may have started a new
// process of its own (an update) and left.
bool isFailure(const ChildExit& exit);

// "Technic did not start: Java exited <status>." or "… Java was ended by signal <number>.", then its
// last error lines joined by " · ", as many as fit; redacted and cut to the status line's length.
QString message(const ChildExit& exit, const QByteArray& errorOutput);

// The error output for the diagnostics, redacted, without blank lines at either end.
QString excerpt(const QByteArray& errorOutput);

} // namespace LauncherStartFailure

} // namespace orvane
