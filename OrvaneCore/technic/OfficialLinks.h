#pragma once

#include <QUrl>

namespace orvane {

// The official pages the user is sent to when something is missing.
namespace OfficialLinks {

// The Technic Launcher download page.
const QUrl& download();
// The Tekkit 2 modpack page.
const QUrl& modpackPage();

} // namespace OfficialLinks

} // namespace orvane
