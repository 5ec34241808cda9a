#pragma once

#include <QLocale>
#include <QString>

#include <cstdint>

namespace orvane {

// A byte count for people, in the style of a file size in the en_US locale whatever the process
// locale: decimal units (1 KB = 1000 bytes), "Zero KB" for 0, "1 byte", "999 bytes", "2 KB" for
// 2048, one fraction digit for MB and two from GB on, trailing zeros dropped ("1.5 MB", "3 GB").
// For what is written to files and reports.
QString fileByteCountText(std::int64_t byteCount);

// The same count for the screen, in `locale` (the user's): the same units and rounding, with the
// locale's digits, separators and unit names ("2,4 Mo" in French, "2,4 MB" in German; English keeps
// the text above), and a no-break space between the number and its unit, so that a wrapping line
// never parts them. The C locale reads as en_US.
QString localizedFileByteCountText(std::int64_t byteCount, const QLocale& locale);

} // namespace orvane
