#pragma once

#include "records/RestoreCommitRecord.h"

#include <filesystem>
#include <optional>

namespace orvane {

// The instance and Technic roots one interrupted restore worked below, as its record (or journal)
// spells them: the folders the operation in hand was given, perhaps reached another way since (a
// link on the way, the instance chosen through it once and through its target another time). The
// recovery acts through these, below which the record's paths lie.
struct RestoreRoots {
    std::filesystem::path instance;
    // Present only when the record names one and it is the Technic root in hand.
    std::optional<std::filesystem::path> technic;
};

// True when `a` and `b` name the same folder: the same text once standardised, or the same device and
// inode.
bool isSameFolder(const std::filesystem::path& a, const std::filesystem::path& b);

// True for `folder` at or below the instance or Technic root, reached from it without a link.
bool isWithinRoots(const std::filesystem::path& folder, const RestoreRoots& roots);

// The roots of `record`, when it is a restore from `store` onto `instance` (each compared by what it
// is, not by how it is spelled); nothing for another store's or another instance's restore.
std::optional<RestoreRoots> rootsOf(const RestoreCommitRecord& record, const std::filesystem::path& store,
                                    const std::filesystem::path& instance,
                                    const std::optional<std::filesystem::path>& technic);

} // namespace orvane
