#pragma once

#include <QString>

namespace orvane {

// True for Unicode letters, combining marks and numbers of every script (the "alphanumerics" that
// backup ids and receipt values may hold).
bool isLetterMarkOrNumber(char32_t scalar);

// True when every Unicode scalar of `text` passes `allowed`; an unpaired surrogate is no scalar and fails.
bool everyScalar(const QString& text, bool (*allowed)(char32_t));

} // namespace orvane
