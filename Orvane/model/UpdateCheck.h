#pragma once

#include "app/BundleInfo.h"
#include "app/ReleaseFetcher.h"
#include "model/UpdateCheckState.h"

#include <QNetworkRequest>
#include <QString>
#include <QUrl>

namespace orvane::updateCheck {

// How long the record's transfer may take before the check gives up.
constexpr int transferTimeoutMs = 15000;
// Nesting the record may have (it has two levels).
constexpr int maximumJsonDepth = 8;

// "https://<host>/releases/latest.json".
QUrl latestReleaseURL(const QString& releaseHost);

// GET, always from the network (never a cached copy), a 15-second transfer timeout, and redirects
// followed only within the same origin.
QNetworkRequest latestReleaseRequest(const QUrl& url);

// Where a check ends for this answer: available with a valid newer record, current with the running
// version and build, and failed with UpdateCheckState::failedText() for anything else (no HTTP 200, a
// body over the cap, JSON that is not strict or not a record, a broken rule, an unparsable version).
UpdateCheckState outcome(const ReleaseAnswer& answer, const BundleInfo& running, const QString& releaseHost);

} // namespace orvane::updateCheck
