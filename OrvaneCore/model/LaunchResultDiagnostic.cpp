#include "model/LaunchResultDiagnostic.h"

#include "json/JsonReader.h"
#include "model/DiagnosticRedactor.h"

#include <QTextBoundaryFinder>

namespace orvane {

namespace {

LaunchResultDiagnostic digest(const LaunchResult& result, QString redactedMessage)
{
    redactedMessage.replace(QChar(0x0A), QChar(0x20));
    redactedMessage.replace(QChar(0x0D), QChar(0x20));
    return LaunchResultDiagnostic{
        .packID = result.pack.id,
        .providerID = result.providerID,
        .mode = result.mode,
        .state = result.state,
        .message = firstGraphemeClusters(redactedMessage, LaunchResultDiagnostic::maximumMessageLength),
    };
}

} // namespace

LaunchResultDiagnostic LaunchResultDiagnostic::fromResult(const LaunchResult& result)
{
    return digest(result, DiagnosticRedactor::redact(result.message));
}

LaunchResultDiagnostic LaunchResultDiagnostic::fromResult(const LaunchResult& result, const QString& home)
{
    return digest(result, DiagnosticRedactor::redact(result.message, home));
}

QString firstGraphemeClusters(const QString& text, int count)
{
    if (count <= 0)
        return {};
    // No text has more clusters than code units: a short text needs no search.
    if (text.size() <= count)
        return text;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (int n = 0; n < count;) {
        qsizetype next = finder.toNextBoundary();
        if (next < 0)
            return text;
        // Qt reports a boundary inside a surrogate pair next to some scripts ("😀क"); a cut there
        // would leave half a character. Such a boundary moves past the pair, and one it overtook is
        // no boundary of its own.
        if (next > 0 && next < text.size() && text.at(next - 1).isHighSurrogate() && text.at(next).isLowSurrogate())
            ++next;
        if (next <= end)
            continue;
        end = next;
        ++n;
    }
    return text.left(end);
}

QJsonObject toJson(const LaunchResultDiagnostic& diagnostic)
{
    QJsonObject object;
    object.insert(QStringLiteral("packID"), toJson(diagnostic.packID));
    object.insert(QStringLiteral("providerID"), toJson(diagnostic.providerID));
    object.insert(QStringLiteral("mode"), toJsonEnum(diagnostic.mode));
    object.insert(QStringLiteral("state"), toJsonEnum(diagnostic.state));
    object.insert(QStringLiteral("message"), diagnostic.message);
    return object;
}

template <>
LaunchResultDiagnostic fromJson<LaunchResultDiagnostic>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("LaunchResultDiagnostic"));
    return LaunchResultDiagnostic{
        .packID = decodePackID(r.required(QStringLiteral("packID")), QStringLiteral("LaunchResultDiagnostic.packID")),
        .providerID = decodeLaunchProviderID(r.required(QStringLiteral("providerID")),
                                             QStringLiteral("LaunchResultDiagnostic.providerID")),
        .mode = r.enumeration<LaunchMode>(QStringLiteral("mode")),
        .state = r.enumeration<LaunchResultState>(QStringLiteral("state")),
        .message = r.string(QStringLiteral("message")),
    };
}

} // namespace orvane
