#pragma once

#include "model/RedactionIdentities.h"

#include <QString>

#include <functional>

namespace orvane {

// The text filter a writer passes everything it stores through.
using Redaction = std::function<QString(const QString&)>;

// DiagnosticRedactor with `home` taken as the user's home folder.
Redaction redactionFor(const QString& home);
// The same, and every occurrence of `known` becomes the marker of its kind.
Redaction redactionFor(const QString& home, RedactionIdentities known);

} // namespace orvane
