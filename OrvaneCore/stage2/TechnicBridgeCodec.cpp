#include "stage2/TechnicBridgeCodec.h"

#include "json/DecodingError.h"
#include "json/StrictJsonCheck.h"
#include "stage2/TechnicBridgeProtocolError.h"
#include "stage2/TechnicBridgeProtocolV1.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>

namespace orvane {

namespace {

using Error = TechnicBridgeProtocolError;

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

// 1 to `maximumBytes` UTF-8 bytes, each accepted by `allowed`. Any byte of a non-ASCII character fails.
template <class Allowed>
bool isIdentifier(const QString& text, qint64 maximumBytes, Allowed&& allowed)
{
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty() || bytes.size() > maximumBytes)
        return false;
    for (const char c : bytes) {
        if (!allowed(c))
            return false;
    }
    return true;
}

bool isProfileID(const QString& text)
{
    return isIdentifier(text, TechnicBridgeProtocolV1::maximumIdentifierBytes,
                        [](char c) { return isAsciiLetter(c) || isDigit(c) || c == '-'; });
}

bool isFailureCode(const QString& text)
{
    return isIdentifier(text, TechnicBridgeProtocolV1::maximumIdentifierBytes,
                        [](char c) { return isAsciiLetter(c) || isDigit(c) || c == '_' || c == '-'; });
}

bool hasUtf8Length(const QString& text, qint64 minimum, qint64 maximum)
{
    const qint64 length = text.toUtf8().size();
    return length >= minimum && length <= maximum;
}

// The typed record from the parsed object; any decoding failure is a malformed message.
template <class T>
T decodeJSON(const QJsonObject& object)
{
    try {
        return fromJson<T>(object);
    } catch (const TechnicBridgeProtocolError&) {
        throw;
    } catch (const DecodingError&) {
        throw Error::malformedPayload();
    }
}

void checkVersion(std::int64_t version)
{
    if (version != TechnicBridgeProtocolV1::version)
        throw Error::unsupportedVersion(version);
}

void checkOperationFields(const TechnicBridgeRequest& request)
{
    const bool pack = request.packID.has_value();
    const bool profile = request.profileID.has_value();
    const bool target = request.targetRequestID.has_value();
    switch (request.operation) {
    case TechnicBridgeOperation::listPacks:
        if (pack || profile || target)
            throw Error::invalidField(QStringLiteral("listPacks fields"));
        return;
    case TechnicBridgeOperation::inspect:
        if (!pack || profile || target)
            throw Error::invalidField(QStringLiteral("inspect fields"));
        return;
    case TechnicBridgeOperation::prepare:
    case TechnicBridgeOperation::launch:
        if (!pack || !profile || !isProfileID(*request.profileID) || target)
            throw Error::invalidField(QStringLiteral("packID/profileID"));
        return;
    case TechnicBridgeOperation::cancel:
        if (pack || profile || !target)
            throw Error::invalidField(QStringLiteral("cancel fields"));
        return;
    }
}

// The optional fields of an event, one bit each, so a kind's rule is "exactly these are present".
enum OptionalField : unsigned {
    progressField = 1u << 0,
    codeField = 1u << 1,
    packsField = 1u << 2,
    completedBytesField = 1u << 3,
    totalBytesField = 1u << 4,
    processIDField = 1u << 5,
    retryableField = 1u << 6,
};

unsigned presentFields(const TechnicBridgeEvent& e)
{
    unsigned fields = 0;
    fields |= e.progress ? progressField : 0u;
    fields |= e.code ? codeField : 0u;
    fields |= e.packs ? packsField : 0u;
    fields |= e.completedBytes ? completedBytesField : 0u;
    fields |= e.totalBytes ? totalBytesField : 0u;
    fields |= e.processID ? processIDField : 0u;
    fields |= e.retryable ? retryableField : 0u;
    return fields;
}

void checkKindFields(const TechnicBridgeEvent& e)
{
    const unsigned present = presentFields(e);
    switch (e.kind) {
    case TechnicBridgeEventKind::packs:
        if (present != packsField || qint64(e.packs->size()) > TechnicBridgeProtocolV1::maximumPackCount)
            throw Error::invalidField(QStringLiteral("packs"));
        TechnicBridgeCodec::validatePack(*e.packs);
        return;
    case TechnicBridgeEventKind::accepted:
    case TechnicBridgeEventKind::authenticationRequired:
    case TechnicBridgeEventKind::checking:
    case TechnicBridgeEventKind::verifying:
    case TechnicBridgeEventKind::ready:
    case TechnicBridgeEventKind::completed:
    case TechnicBridgeEventKind::cancelled:
        if (present != 0)
            throw Error::invalidField(QStringLiteral("event payload"));
        return;
    case TechnicBridgeEventKind::progress:
        if (present != progressField || !std::isfinite(*e.progress) || *e.progress < 0.0 || *e.progress > 1.0)
            throw Error::invalidField(QStringLiteral("progress"));
        return;
    case TechnicBridgeEventKind::downloading:
        if (present != (completedBytesField | totalBytesField) || *e.totalBytes == 0
            || *e.completedBytes > *e.totalBytes)
            throw Error::invalidField(QStringLiteral("completedBytes/totalBytes"));
        return;
    case TechnicBridgeEventKind::gameStarted:
        if (present != processIDField || *e.processID <= 0)
            throw Error::invalidField(QStringLiteral("processID"));
        return;
    case TechnicBridgeEventKind::failed:
        if (present != (codeField | retryableField))
            throw Error::invalidField(QStringLiteral("code/retryable"));
        return;
    }
}

} // namespace

const QSet<QString>& TechnicBridgeCodec::requestKeys()
{
    static const QSet<QString> keys{
        QStringLiteral("protocolVersion"), QStringLiteral("requestID"), QStringLiteral("operation"),
        QStringLiteral("packID"),          QStringLiteral("profileID"), QStringLiteral("targetRequestID"),
    };
    return keys;
}

const QSet<QString>& TechnicBridgeCodec::eventKeys()
{
    static const QSet<QString> keys{
        QStringLiteral("protocolVersion"), QStringLiteral("requestID"),      QStringLiteral("kind"),
        QStringLiteral("progress"),        QStringLiteral("message"),        QStringLiteral("code"),
        QStringLiteral("packs"),           QStringLiteral("completedBytes"), QStringLiteral("totalBytes"),
        QStringLiteral("processID"),       QStringLiteral("retryable"),
    };
    return keys;
}

const QSet<QString>& TechnicBridgeCodec::packEntryKeys()
{
    static const QSet<QString> keys{
        QStringLiteral("packID"),
        QStringLiteral("name"),
        QStringLiteral("version"),
        QStringLiteral("supportedProfileIDs"),
    };
    return keys;
}

void TechnicBridgeCodec::checkSize(QByteArrayView message)
{
    if (message.size() > TechnicBridgeProtocolV1::maximumMessageBytes)
        throw Error::payloadTooLarge(message.size(), TechnicBridgeProtocolV1::maximumMessageBytes);
}

QJsonObject TechnicBridgeCodec::checkTopLevelKeys(QByteArrayView message, const QSet<QString>& allowed)
{
    QJsonDocument document;
    try {
        document = parseStrictJson(message, maximumNestingDepth);
    } catch (const DecodingError&) {
        throw Error::malformedPayload();
    }
    if (!document.isObject())
        throw Error::malformedPayload();
    QJsonObject object = document.object();
    for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
        if (!allowed.contains(it.key()))
            throw Error::invalidField(QStringLiteral("unknown"));
    }
    return object;
}

void TechnicBridgeCodec::checkPackEntryKeys(const QJsonObject& object)
{
    const auto packs = object.constFind(QStringLiteral("packs"));
    if (packs == object.constEnd())
        return;
    if (!packs->isArray())
        throw Error::invalidField(QStringLiteral("packs"));
    const QJsonArray entries = packs->toArray();
    for (const QJsonValue& entry : entries) {
        if (!entry.isObject())
            throw Error::invalidField(QStringLiteral("packs"));
    }
    for (const QJsonValue& entry : entries) {
        const QJsonObject fields = entry.toObject();
        for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
            if (!packEntryKeys().contains(it.key()))
                throw Error::invalidField(QStringLiteral("packs.unknown"));
        }
    }
}

void TechnicBridgeCodec::validatePack(const std::vector<TechnicBridgePack>& packs)
{
    const auto refuse = [] { throw Error::invalidField(QStringLiteral("packs")); };
    QSet<PackID> seenPacks;
    for (const TechnicBridgePack& pack : packs) {
        if (seenPacks.contains(pack.packID))
            refuse();
        seenPacks.insert(pack.packID);
        if (!hasUtf8Length(pack.name, 1, TechnicBridgeProtocolV1::maximumPackCount))
            refuse();
        if (!hasUtf8Length(pack.version, 1, TechnicBridgeProtocolV1::maximumIdentifierBytes))
            refuse();
        const qint64 profileCount = qint64(pack.supportedProfileIDs.size());
        if (profileCount < 1 || profileCount > TechnicBridgeProtocolV1::maximumProfileIDCount)
            refuse();
        QSet<QString> seenProfiles;
        for (const QString& profile : pack.supportedProfileIDs) {
            if (seenProfiles.contains(profile) || !isProfileID(profile))
                refuse();
            seenProfiles.insert(profile);
        }
    }
}

TechnicBridgeRequest TechnicBridgeCodec::decodeRequest(QByteArrayView message)
{
    checkSize(message);
    const QJsonObject object = checkTopLevelKeys(message, requestKeys());
    TechnicBridgeRequest request = decodeJSON<TechnicBridgeRequest>(object);
    checkVersion(request.protocolVersion);
    checkOperationFields(request);
    return request;
}

TechnicBridgeEvent TechnicBridgeCodec::decodeEvent(QByteArrayView message)
{
    checkSize(message);
    const QJsonObject object = checkTopLevelKeys(message, eventKeys());
    checkPackEntryKeys(object);
    TechnicBridgeEvent event = decodeJSON<TechnicBridgeEvent>(object);
    checkVersion(event.protocolVersion);
    if (event.message.toUtf8().size() > TechnicBridgeProtocolV1::maximumEventMessageBytes)
        throw Error::invalidField(QStringLiteral("message"));
    if (event.code && !isFailureCode(*event.code))
        throw Error::invalidField(QStringLiteral("code"));
    checkKindFields(event);
    return event;
}

} // namespace orvane
