#pragma once

#include <QString>

namespace orvane {

// True when every Unicode scalar of `text` passes `allowed`; an unpaired surrogate is no scalar and fails.
bool everyScalar(const QString& text, bool (*allowed)(char32_t));

} // namespace orvane
