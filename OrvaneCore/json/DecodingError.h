#pragma once

#include "json/DescribedError.h"

namespace orvane {

// A JSON document or value that does not have the shape a record requires.
class DecodingError final : public DescribedError {
public:
    explicit DecodingError(const QString& text) : DescribedError(text) {}
};

// A value that cannot be written as JSON (a non-finite number, a path that is not UTF-8).
class EncodingError final : public DescribedError {
public:
    explicit EncodingError(const QString& text) : DescribedError(text) {}
};

} // namespace orvane
