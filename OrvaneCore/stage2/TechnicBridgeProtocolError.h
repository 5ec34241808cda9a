#pragma once

#include "json/DescribedError.h"

#include <QString>
#include <QtGlobal>

namespace orvane {

// Every refusal of a bridge message. Each kind carries the sentence the user sees.
class TechnicBridgeProtocolError final : public DescribedError {
public:
    enum class Kind {
        payloadTooLarge,
        unsupportedVersion,
        invalidField,
        malformedPayload,
    };

    static TechnicBridgeProtocolError payloadTooLarge(qint64 actual, qint64 maximum);
    static TechnicBridgeProtocolError unsupportedVersion(qint64 version);
    static TechnicBridgeProtocolError invalidField(const QString& field);
    static TechnicBridgeProtocolError malformedPayload();

    Kind kind() const { return m_kind; }
    // The message's size of payloadTooLarge; the version received of unsupportedVersion; 0 otherwise.
    qint64 actual() const { return m_actual; }
    // The limit of payloadTooLarge; 0 otherwise.
    qint64 maximum() const { return m_maximum; }
    // The field text of invalidField; empty otherwise.
    const QString& field() const { return m_field; }

    friend bool operator==(const TechnicBridgeProtocolError& a, const TechnicBridgeProtocolError& b)
    {
        return a.m_kind == b.m_kind && a.m_actual == b.m_actual && a.m_maximum == b.m_maximum
            && a.m_field == b.m_field;
    }

private:
    TechnicBridgeProtocolError(Kind kind, qint64 actual, qint64 maximum, QString field);
    static QString sentence(Kind kind, qint64 actual, qint64 maximum, const QString& field);

    Kind m_kind;
    qint64 m_actual;
    qint64 m_maximum;
    QString m_field;
};

} // namespace orvane
