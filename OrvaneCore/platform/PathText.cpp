#include "platform/PathText.h"

#include <QStringDecoder>

#include <algorithm>
#include <string_view>

namespace orvane {

namespace {

// Qt's UTF-8 decoding drops a leading U+FEFF as a byte-order mark; in a name it is a character, and
// dropping it would name another file.
constexpr auto nameDecoding = QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom;

} // namespace

QString pathText(const std::filesystem::path& path)
{
    QStringDecoder decoder(QStringDecoder::Utf8, nameDecoding);
    const std::string& bytes = path.native();
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

std::optional<QString> exactPathText(const std::filesystem::path& path)
{
    QStringDecoder decoder(QStringDecoder::Utf8, nameDecoding);
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

namespace {

// True when `s` is already standardised: no empty, "." or ".." component and no trailing "/" (the
// root alone excepted). Most paths are, and checking costs far less than normalising.
bool isStandard(std::string_view s)
{
    if (s == "/")
        return true;
    if (s.empty() || s.back() == '/')
        return false;
    std::size_t start = s.front() == '/' ? 1 : 0;
    while (start <= s.size()) {
        const std::size_t end = std::min(s.find('/', start), s.size());
        const std::string_view part = s.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

} // namespace

bool isStandardised(std::string_view path)
{
    return isStandard(path);
}

std::filesystem::path standardised(const std::filesystem::path& path)
{
    if (isStandard(path.native()))
        return path;
    std::string s = path.lexically_normal().native();
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return std::filesystem::path(s);
}

std::string joinedText(const std::filesystem::path& folder, std::string_view relative)
{
    const std::string& base = folder.native();
    std::string joined;
    joined.reserve(base.size() + 1 + relative.size());
    joined += base;
    if (!base.empty() && base.back() != '/')
        joined += '/';
    joined += relative;
    return joined;
}

std::string_view folderText(std::string_view path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string_view::npos)
        return {};
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string_view nameText(std::string_view path)
{
    return path.substr(path.rfind('/') + 1);
}

std::string standardisedText(const QString& text)
{
    std::string path = text.toStdString();
    if (!isStandard(path))
        path = standardised(std::filesystem::path(path)).native();
    return path;
}

bool isContained(const std::filesystem::path& path, const std::filesystem::path& root)
{
    const std::filesystem::path p = standardised(path);
    const std::filesystem::path r = standardised(root);
    const std::string_view in = p.native(), below = r.native();
    // Strictly inside: the root's text, then a "/" (already the root's last byte for "/" itself).
    const std::size_t prefix = below == "/" ? 1 : below.size() + 1;
    return in.size() > prefix && in.starts_with(below) && in[prefix - 1] == '/';
}

bool isSameOrContained(const std::filesystem::path& path, const std::filesystem::path& root)
{
    return standardised(path) == standardised(root) || isContained(path, root);
}

} // namespace orvane
