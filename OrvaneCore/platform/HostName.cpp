#include "platform/HostName.h"

#include <QStringDecoder>

#include <unistd.h>

#include <array>

namespace orvane {

QString currentHostName()
{
    // 255 is the longest name POSIX allows (HOST_NAME_MAX on Linux is 64); one more for the end.
    std::array<char, 256> name{};
    if (::gethostname(name.data(), name.size() - 1) != 0)
        return {};
    name.back() = '\0';
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(QByteArrayView(name.data()));
    return decoder.hasError() ? QString() : text;
}

} // namespace orvane
