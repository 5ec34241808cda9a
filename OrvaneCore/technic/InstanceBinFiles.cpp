#include "technic/InstanceBinFiles.h"

#include "platform/FileOperations.h"
#include "technic/TechnicFileReading.h"

#include <QJsonObject>

#include <limits>

namespace orvane::InstanceBinFiles {

namespace {

std::optional<QString> stringOf(const QByteArray& bytes, QLatin1String key)
{
    const auto object = jsonObjectIfPossible(bytes);
    if (!object)
        return std::nullopt;
    const QJsonValue value = object->value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

QByteArray binFile(const std::filesystem::path& instance, const char* name, FileOperations& files)
{
    return readFileIfPossible(files, instance / "bin" / name, technicFileByteLimit).value_or(QByteArray());
}

} // namespace

std::optional<QString> parsePackVersion(const QByteArray& bytes) { return stringOf(bytes, QLatin1String("version")); }

std::optional<QString> parseForgeVersion(const QByteArray& bytes) { return stringOf(bytes, QLatin1String("id")); }

RunData parseRunData(const QByteArray& bytes)
{
    RunData data;
    const auto object = jsonObjectIfPossible(bytes);
    if (!object)
        return data;
    const QJsonValue java = object->value(QLatin1String("java"));
    if (java.isString())
        data.java = java.toString();
    const QJsonValue memory = object->value(QLatin1String("memory"));
    data.memory = memory.isString() ? decimalInteger(memory.toString()) : exactInteger(memory);
    return data;
}

std::optional<std::int64_t> decimalInteger(const QString& text)
{
    qsizetype i = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-'))) {
        negative = text[0] == QLatin1Char('-');
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulated as a negative number, whose range holds the magnitude of INT64_MIN.
    std::int64_t value = 0;
    constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (lowest + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == lowest)
            return std::nullopt;
        value = -value;
    }
    return value;
}

std::optional<QString> readPackVersion(const std::filesystem::path& instance, FileOperations& files)
{
    return parsePackVersion(binFile(instance, "version", files));
}

std::optional<QString> readForgeVersion(const std::filesystem::path& instance, FileOperations& files)
{
    return parseForgeVersion(binFile(instance, "version.json", files));
}

RunData readRunData(const std::filesystem::path& instance, FileOperations& files)
{
    return parseRunData(binFile(instance, "runData", files));
}

} // namespace orvane::InstanceBinFiles
