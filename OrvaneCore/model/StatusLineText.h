#pragma once

#include "model/LaunchContractLimits.h"

#include <QString>

namespace orvane {

// The longest line the window's status shows, in user-perceived characters; the live launch line is
// cut to the same length.
inline constexpr int statusLineLength = 160;

// `text` fit for the status line: every control character (line breaks and tabs included) becomes a
// blank, runs of blanks become one, both ends are trimmed; then it is cut to statusLineLength
// grapheme clusters and, where those still take more than `maxBytes` UTF-8 bytes, to as many whole
// clusters as fit.
QString statusLineText(const QString& text,
                       qsizetype maxBytes = LaunchContractLimits::maximumEventMessageBytes);

} // namespace orvane
