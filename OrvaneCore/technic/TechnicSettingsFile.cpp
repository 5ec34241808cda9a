#include "technic/TechnicSettingsFile.h"

#include "json/JsonWriter.h"
#include "platform/FileOperations.h"
#include "technic/TechnicFileReading.h"

namespace orvane::TechnicSettingsFile {

QJsonObject read(const std::filesystem::path& path, FileOperations& files)
{
    return parseJsonObject(files.readRegularFile(path, technicFileByteLimit), QStringLiteral("settings.json"));
}

void write(const QJsonObject& settings, const std::filesystem::path& path, FileOperations& files)
{
    files.writeAtomically(path, encodeJson(settings), existingModeOr(path, 0644));
}

std::optional<std::int64_t> memory(const QJsonObject& settings)
{
    return truncatedInteger(settings.value(QLatin1String("memory")));
}

} // namespace orvane::TechnicSettingsFile
