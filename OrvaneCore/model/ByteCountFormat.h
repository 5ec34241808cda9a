#pragma once

#include <QString>

#include <cstdint>

namespace orvane {

// A byte count for people, in the style of a file size in the en_US locale whatever the process
// locale: decimal units (1 KB = 1000 bytes), "Zero KB" for 0, "1 byte", "999 bytes", "2 KB" for
// 2048, one fraction digit for MB and two from GB on, trailing zeros dropped ("1.5 MB", "3 GB").
QString fileByteCountText(std::int64_t byteCount);

} // namespace orvane
