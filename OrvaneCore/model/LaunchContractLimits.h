#pragma once

#include <QByteArray>
#include <QString>

namespace orvane {

// The bounds every launch result must respect; the session enforces them.
namespace LaunchContractLimits {

inline constexpr int maximumEvents = 256;
inline constexpr int maximumEventMessageBytes = 1024;
inline constexpr int maximumResultMessageBytes = 4096;

} // namespace LaunchContractLimits

// The message rule shared by events and results: 1 to maxBytes UTF-8 bytes, no scalar below U+0020
// and no U+007F. Text that is not well-formed Unicode (a lone surrogate) is refused.
bool isValidContractMessage(const QString& message, qsizetype maxBytes);
// The same rule on raw bytes; bytes that are not valid UTF-8 are refused.
bool isValidContractMessage(const QByteArray& utf8, qsizetype maxBytes);

} // namespace orvane
