#include "model/OpenFailureText.h"

#include <QDir>

namespace orvane {

QString openFailureText(const QUrl& url)
{
    if (url.isLocalFile()) {
        // The path as the file manager and a terminal spell it: decoded, without a trailing "/".
        const QString path = QDir::cleanPath(url.toLocalFile());
        return QStringLiteral("Orvane could not open the folder ") + path + QStringLiteral(".");
    }
    // Fully encoded, so that what is copied is an address a browser takes as it is; a password is never shown.
    return QStringLiteral("Orvane could not open ") + url.toDisplayString(QUrl::FullyEncoded)
        + QStringLiteral(". Open it in a browser.");
}

} // namespace orvane
