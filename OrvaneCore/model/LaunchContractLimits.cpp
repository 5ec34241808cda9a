#include "model/LaunchContractLimits.h"

#include <QStringDecoder>

namespace orvane {

namespace {

// Scalars are checked on UTF-16 units: the refused ones are all in the basic plane, and a surrogate
// is only well formed as part of a high-low pair.
bool holdsOnlyAllowedScalars(const QString& message)
{
    const qsizetype n = message.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t u = message.at(i).unicode();
        if (u < 0x20 || u == 0x7F)
            return false;
        if (QChar::isHighSurrogate(u)) {
            if (i + 1 >= n || !QChar::isLowSurrogate(message.at(i + 1).unicode()))
                return false;
            ++i;
        } else if (QChar::isLowSurrogate(u)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool isValidContractMessage(const QString& message, qsizetype maxBytes)
{
    if (message.isEmpty() || !holdsOnlyAllowedScalars(message))
        return false;
    return message.toUtf8().size() <= maxBytes;
}

bool isValidContractMessage(const QByteArray& utf8, qsizetype maxBytes)
{
    if (utf8.isEmpty() || utf8.size() > maxBytes)
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(utf8);
    if (decoder.hasError())
        return false;
    return holdsOnlyAllowedScalars(text);
}

} // namespace orvane
