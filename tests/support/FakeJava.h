#pragma once

#include <QString>
#include <QStringList>

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>

namespace orvane::test {

// The helper program tests/helpers/fake_java.cpp (see there for the environment variables it obeys).
std::filesystem::path fakeJavaPath();

// The lines of a fake_java record that start with `prefix` ("arg:", "env:", "stdout:", "pid:", …),
// without the prefix.
QStringList recordLines(const std::filesystem::path& record, const QString& prefix);

// True once `pid` no longer exists; a zombie still does, so this fails while nobody reaped it.
bool processGone(pid_t pid);

// Polls `condition` every 10 ms until it holds (true) or `limit` passes (false).
bool waitUntil(std::chrono::milliseconds limit, const std::function<bool()>& condition);

} // namespace orvane::test
