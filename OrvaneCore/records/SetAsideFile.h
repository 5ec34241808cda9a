#pragma once

#include <filesystem>

namespace orvane {

// A created path a restore moved into an undo folder instead of deleting it, so that an undo can put
// it back (restoreItems::putBack). A commit record holds it by its name within its undo folder, as the
// record holds every path of its undo data: the record stays true when its folder is renamed to a kept
// name. Everything else holds where it lies.
struct SetAsideFile {
    std::filesystem::path aside;    // its name in the undo folder (restoreItems::setAsideName), or where it lies
    std::filesystem::path original; // where it lay: an absolute path below the instance

    bool operator==(const SetAsideFile&) const = default;
};

} // namespace orvane
