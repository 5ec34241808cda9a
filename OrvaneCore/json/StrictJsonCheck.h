#pragma once

#include <QByteArrayView>
#include <QJsonDocument>

namespace orvane {

// Checks that `bytes` are exactly one JSON value in strict UTF-8, as untrusted input must be before
// Qt's parser reads it: Qt keeps the last of two equal keys silently and accepts escapes of unpaired
// surrogates. Refused, with DecodingError: any syntax error, invalid or overlong UTF-8, a raw
// control character or an unpaired surrogate escape in a string, an object in which two keys are
// equal once their escapes are decoded, a number that Qt's parser would round to a different
// whole number below 2^64 (it reads anything beyond the signed 64-bit range as a double), and
// arrays or objects nested more than `maximumDepth` levels (a top-level object is level 1).
// Leading and trailing JSON white space is allowed.
// The check recurses once per level, so `maximumDepth` should stay modest (tens, not thousands).
void checkStrictJson(QByteArrayView bytes, int maximumDepth);

// checkStrictJson, then Qt's parser; a parser error also throws DecodingError.
QJsonDocument parseStrictJson(QByteArrayView bytes, int maximumDepth);

} // namespace orvane
