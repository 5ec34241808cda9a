#include "stage2/TechnicBridgeProtocolError.h"

namespace orvane {

TechnicBridgeProtocolError::TechnicBridgeProtocolError(Kind kind, qint64 actual, qint64 maximum, QString field)
    : DescribedError(sentence(kind, actual, maximum, field))
    , m_kind(kind)
    , m_actual(actual)
    , m_maximum(maximum)
    , m_field(std::move(field))
{
}

TechnicBridgeProtocolError TechnicBridgeProtocolError::payloadTooLarge(qint64 actual, qint64 maximum)
{
    return {Kind::payloadTooLarge, actual, maximum, {}};
}

TechnicBridgeProtocolError TechnicBridgeProtocolError::unsupportedVersion(qint64 version)
{
    return {Kind::unsupportedVersion, version, 0, {}};
}

TechnicBridgeProtocolError TechnicBridgeProtocolError::invalidField(const QString& field)
{
    return {Kind::invalidField, 0, 0, field};
}

TechnicBridgeProtocolError TechnicBridgeProtocolError::malformedPayload()
{
    return {Kind::malformedPayload, 0, 0, {}};
}

QString TechnicBridgeProtocolError::sentence(Kind kind, qint64 actual, qint64 maximum, const QString& field)
{
    // Concatenated, not arg(): a field text must never be read as a placeholder.
    switch (kind) {
    case Kind::payloadTooLarge:
        return QStringLiteral("Bridge message is ") + QString::number(actual) + QStringLiteral(" bytes; the maximum is ")
            + QString::number(maximum) + QLatin1Char('.');
    case Kind::unsupportedVersion:
        return QStringLiteral("Unsupported Technic bridge protocol version ") + QString::number(actual)
            + QLatin1Char('.');
    case Kind::invalidField:
        return QStringLiteral("Invalid Technic bridge field: ") + field + QLatin1Char('.');
    case Kind::malformedPayload:
        return QStringLiteral("Malformed Technic bridge JSON.");
    }
    return {};
}

} // namespace orvane
