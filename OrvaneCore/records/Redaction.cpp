#include "records/Redaction.h"

#include "model/DiagnosticRedactor.h"

namespace orvane {

Redaction redactionFor(const QString& home)
{
    return [home](const QString& text) { return DiagnosticRedactor::redact(text, home); };
}

} // namespace orvane
