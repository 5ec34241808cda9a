#pragma once

#include <QString>

namespace orvane {

// Numbers as text for people and reports, the same whatever the process locale: "." is always the
// decimal separator and no digits are grouped (a German locale must not turn 16.0 into "16,0").

// `value` with exactly `fractionDigits` digits after the point, rounded as printf's "%.Nf" rounds
// (the exact binary value, ties to even): fixedDecimalText(16, 1) is "16.0", (2.5, 0) is "2".
// Negative digit counts count as 0. Not-a-number and infinities read "nan", "inf" and "-inf".
QString fixedDecimalText(double value, int fractionDigits);

// The shortest decimal text that reads back as the same double, always with a fraction part for
// whole numbers: 2 is "2.0", 1.25 is "1.25", 0.1 is "0.1". Very large and very small magnitudes
// (above 2^53, or below 0.0001) use an exponent: 1e+16, 1e-05.
QString shortestDecimalText(double value);

} // namespace orvane
