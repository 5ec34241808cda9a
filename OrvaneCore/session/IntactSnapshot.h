#pragma once

#include "records/BackupStore.h"
#include "records/ListedBackup.h"

namespace orvane {

// True when the listed snapshot's copies still match its manifest; false when they no longer do, so
// the caller passes over it as a restore would. Any other failure is thrown.
bool isIntactSnapshot(const BackupStore& store, const ListedBackup& backup);

} // namespace orvane
