#pragma once

#include <QString>

#include <functional>

namespace orvane {

// The text filter a writer passes everything it stores through.
using Redaction = std::function<QString(const QString&)>;

// DiagnosticRedactor with `home` taken as the user's home folder.
Redaction redactionFor(const QString& home);

} // namespace orvane
