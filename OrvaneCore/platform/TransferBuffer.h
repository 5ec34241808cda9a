#pragma once

#include <cstddef>
#include <span>

namespace orvane {

// The calling thread's 1 MiB buffer for reading, hashing and copying file bytes: allocated once per
// thread and never zero-filled, so a copy of many small files costs no allocation per file. A caller
// holds it only across its own read loop, calling nothing inside that loop that takes it too.
std::span<std::byte> transferBuffer();

} // namespace orvane
