#pragma once

#include "stage2/TechnicBridgeProtocolError.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>
#include <ostream>

namespace orvane {

inline void PrintTo(const TechnicBridgeProtocolError& error, std::ostream* os)
{
    *os << error.description().toStdString();
}

namespace test {

inline const QString bridgeRequestID = QStringLiteral("6F9619FF-8B86-D011-B42D-00C04FC964FF");

inline QByteArray compactJson(const QJsonObject& object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// The protocol error `action` throws, or nothing when it succeeds; any other error escapes and
// fails the test.
template <class F>
std::optional<TechnicBridgeProtocolError> bridgeRefusal(F&& action)
{
    try {
        action();
    } catch (const TechnicBridgeProtocolError& error) {
        return error;
    }
    return std::nullopt;
}

} // namespace test
} // namespace orvane
