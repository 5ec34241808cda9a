#pragma once

#include <QString>
#include <QUrl>

namespace orvane {

// The status line when the desktop would not open a page or a folder: one sentence that holds the
// address, or the folder's path, whole, so the user can copy it and open it by hand.
QString openFailureText(const QUrl& url);

} // namespace orvane
