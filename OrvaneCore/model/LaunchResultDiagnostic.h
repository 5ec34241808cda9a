#pragma once

#include "json/JsonCodecs.h"
#include "model/LaunchMode.h"
#include "model/LaunchProviderID.h"
#include "model/LaunchResult.h"
#include "model/LaunchResultState.h"
#include "model/PackID.h"

#include <QJsonObject>
#include <QString>

namespace orvane {

// The digest of a launch result that a diagnostic bundle carries: no events, and a message that is
// redacted, on one line and short.
struct LaunchResultDiagnostic {
    // The longest message kept, in user-perceived characters.
    static constexpr int maximumMessageLength = 512;

    PackID packID;
    LaunchProviderID providerID;
    LaunchMode mode;
    LaunchResultState state;
    QString message;

    // The digest of `result`, its message redacted for the current user's home folder.
    static LaunchResultDiagnostic fromResult(const LaunchResult& result);
    // The same with `home` taken as the user's home folder.
    static LaunchResultDiagnostic fromResult(const LaunchResult& result, const QString& home);

    bool operator==(const LaunchResultDiagnostic&) const = default;
};

// The first `count` grapheme clusters of `text`; a cut never falls inside a character.
QString firstGraphemeClusters(const QString& text, int count);

QJsonObject toJson(const LaunchResultDiagnostic& diagnostic);
template <>
LaunchResultDiagnostic fromJson<LaunchResultDiagnostic>(const QJsonValue& value);

} // namespace orvane
