#include "records/Redaction.h"

#include "model/DiagnosticRedactor.h"

#include <utility>

namespace orvane {

Redaction redactionFor(const QString& home)
{
    return [home](const QString& text) { return DiagnosticRedactor::redact(text, home); };
}

Redaction redactionFor(const QString& home, RedactionIdentities known)
{
    return [home, known = std::move(known)](const QString& text) { return DiagnosticRedactor::redact(text, home, known); };
}

} // namespace orvane
