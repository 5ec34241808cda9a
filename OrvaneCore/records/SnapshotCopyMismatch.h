#pragma once

#include "json/DescribedError.h"
#include "model/OrvaneError.h"

#include <utility>

namespace orvane {

// A snapshot copy that does not hold what its manifest records, found while it was staged: nothing
// was replaced yet, so an older backup may serve instead. Described as the verification failure it
// is, wherever it is caught.
class SnapshotCopyMismatch final : public DescribedError {
public:
    explicit SnapshotCopyMismatch(OrvaneError error) : DescribedError(error.description()), m_error(std::move(error)) {}

    const OrvaneError& error() const { return m_error; }

private:
    OrvaneError m_error;
};

} // namespace orvane
