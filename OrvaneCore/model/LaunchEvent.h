#pragma once

#include "model/LaunchEventKind.h"
#include "model/LaunchProviderID.h"
#include "model/PackID.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QUuid>

namespace orvane {

// One event of one launch; identified by `id`, which is new for every event.
struct LaunchEvent {
    QUuid id;
    QUuid operationID; // the request's operation
    LaunchProviderID providerID;
    PackID packID;
    LaunchEventKind kind;
    QDateTime occurredAt; // when the provider created the event
    QString message;      // one user-facing sentence

    bool operator==(const LaunchEvent&) const = default;
};

// `what` names the value in error texts ("LaunchResult.events[2]").
LaunchEvent decodeLaunchEvent(const QJsonValue& value, const QString& what);
QJsonObject toJson(const LaunchEvent& event);
template <>
LaunchEvent fromJson<LaunchEvent>(const QJsonValue& value);

} // namespace orvane
