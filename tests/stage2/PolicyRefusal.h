#pragma once

#include "model/OrvaneError.h"

#include <QString>

#include <exception>

namespace orvane::test {

// The text of the policy refusal `action` throws; a different error or none reads as a marker
// that the comparison shows.
template <class F>
QString policyRefusal(F&& action)
{
    try {
        action();
    } catch (const OrvaneError& error) {
        if (error.kind() == OrvaneError::Kind::policyDenied)
            return error.text();
        return QStringLiteral("<other OrvaneError: %1>").arg(error.description());
    } catch (const std::exception& error) {
        return QStringLiteral("<other error: %1>").arg(QString::fromUtf8(error.what()));
    }
    return QStringLiteral("<no error>");
}

} // namespace orvane::test
