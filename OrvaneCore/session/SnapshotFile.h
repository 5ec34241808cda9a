#pragma once

#include "model/BackupManifest.h"

#include <QByteArray>

#include <filesystem>

namespace orvane {

// What a snapshot holds of one file it was taken of: a copy, or its listing as created since (the
// file did not exist then). Paths compare standardised.
namespace SnapshotFile {

// The manifest's copy of `file`; nullptr when it holds none.
const BackupFile* copyOf(const BackupManifest& manifest, const std::filesystem::path& file);

// True when the snapshot knows `file` from before: copied, or listed as created.
bool isKnown(const BackupManifest& manifest, const std::filesystem::path& file);

// True when `bytes` are the content the manifest records of `copy`.
bool matchesCopy(const QByteArray& bytes, const BackupFile& copy);

} // namespace SnapshotFile

} // namespace orvane
