#include "platform/PathText.h"

#include <QStringDecoder>

namespace orvane {

QString pathText(const std::filesystem::path& path)
{
    return QString::fromUtf8(path.native());
}

std::optional<QString> exactPathText(const std::filesystem::path& path)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const std::string& bytes = path.native();
    QString text = decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    if (decoder.hasError() || bytes.find('\0') != std::string::npos)
        return std::nullopt;
    return text;
}

std::filesystem::path pathFromText(const QString& text)
{
    return std::filesystem::path(text.toStdString());
}

std::filesystem::path standardised(const std::filesystem::path& path)
{
    std::string s = path.lexically_normal().native();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return std::filesystem::path(s);
}

bool isContained(const std::filesystem::path& path, const std::filesystem::path& root)
{
    const std::string p = standardised(path).native();
    std::string r = standardised(root).native();
    if (r != "/")
        r += '/';
    return p.size() > r.size() && p.compare(0, r.size(), r) == 0;
}

bool isSameOrContained(const std::filesystem::path& path, const std::filesystem::path& root)
{
    return standardised(path) == standardised(root) || isContained(path, root);
}

} // namespace orvane
