#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonValue>
#include <QString>

#include <optional>

namespace orvane {

// Standard Base64 read strictly: the standard alphabet only, "=" padding to a multiple of four
// characters, no white space, and unused bits of the last group zero, so each byte string has one
// accepted text. Nothing when the text breaks any of these.
std::optional<QByteArray> decodeStrictBase64(QByteArrayView text);

// A JSON string holding strict Base64; anything else throws DecodingError naming `what`.
QByteArray decodeBase64(const QJsonValue& value, const QString& what);

// Standard Base64 with padding, as JSON text.
QJsonValue toJsonBase64(const QByteArray& bytes);

} // namespace orvane
