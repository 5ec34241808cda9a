#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvane {

// Each digest byte as two lowercase hexadecimal digits; callers join them.
QStringList hexByteStrings(const QByteArray& digest);

// hexByteStrings joined with no separator.
QString hexDigest(const QByteArray& digest);

} // namespace orvane
