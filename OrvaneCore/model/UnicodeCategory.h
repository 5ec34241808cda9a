#pragma once

namespace orvane {

// True for Unicode letters, combining marks and numbers of every script (the "alphanumerics" that
// backup ids and receipt values may hold).
bool isLetterMarkOrNumber(char32_t scalar);

} // namespace orvane
