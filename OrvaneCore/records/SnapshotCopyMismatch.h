#pragma once

#include "model/OrvaneError.h"

namespace orvane {

// A snapshot copy that does not hold what its manifest records, found while it was staged: nothing
// was replaced yet, so an older backup may serve instead.
struct SnapshotCopyMismatch final {
    OrvaneError error;
};

} // namespace orvane
