#include "technic/TechnicFileReading.h"

#include "json/DecodingError.h"
#include "model/OrvaneError.h"
#include "platform/FileOperations.h"

#include <QJsonDocument>
#include <QJsonParseError>
#include <QStringDecoder>

#include <cmath>
#include <system_error>

#include <sys/stat.h>

namespace orvane {

std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    // Stateless: a character cut off by the end of the bytes is an error, not held back unseen.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

QJsonObject parseJsonObject(const QByteArray& bytes, const QString& fileName)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw DecodingError(QStringLiteral("%1 is not valid JSON: %2 at offset %3.")
                                .arg(fileName, error.errorString())
                                .arg(error.offset));
    if (!document.isObject())
        throw OrvaneError::io(QStringLiteral("%1 is not a JSON object").arg(fileName));
    return document.object();
}

std::optional<QJsonObject> jsonObjectIfPossible(const QByteArray& bytes)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    return document.object();
}

std::optional<QJsonObject> readJsonObjectIfPossible(FileOperations& files, const std::filesystem::path& path)
{
    const auto bytes = readFileIfPossible(files, path, technicFileByteLimit);
    if (!bytes)
        return std::nullopt;
    return jsonObjectIfPossible(*bytes);
}

bool pathExists(const std::filesystem::path& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::optional<std::vector<std::filesystem::path>> listFolder(const std::filesystem::path& folder)
{
    std::vector<std::filesystem::path> entries;
    std::error_code error;
    std::filesystem::directory_iterator it(folder, error);
    for (; !error && it != std::filesystem::directory_iterator(); it.increment(error))
        entries.push_back(it->path());
    if (error)
        return std::nullopt;
    return entries;
}

std::optional<std::int64_t> exactInteger(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    // toInteger answers its default for a value that is not an exact 64-bit integer, so two
    // different defaults tell a true integer apart (without ever going through a double).
    const qint64 first = value.toInteger(0);
    if (first != value.toInteger(1))
        return std::nullopt;
    return std::int64_t(first);
}

std::optional<std::int64_t> truncatedInteger(const QJsonValue& value)
{
    if (!value.isDouble())
        return std::nullopt;
    if (const auto exact = exactInteger(value))
        return exact;
    const double cut = std::trunc(value.toDouble());
    // [-2^63, 2^63): both bounds are exact doubles.
    if (!(cut >= -9223372036854775808.0 && cut < 9223372036854775808.0))
        return std::nullopt;
    return std::int64_t(cut);
}

mode_t existingModeOr(const std::filesystem::path& path, mode_t fallback)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return fallback;
    return st.st_mode & 0777;
}

} // namespace orvane
