#include "ui/details/ReportCopy.h"

#include "technic/TechnicFileReading.h"

namespace orvane::ReportCopy {

QString text(FileOperations& files, const std::filesystem::path& report, const QString& preview)
{
    if (const auto bytes = readFileIfPossible(files, report, maxReportBytes))
        if (auto utf8 = strictUtf8(*bytes))
            return *std::move(utf8);
    return preview;
}

} // namespace orvane::ReportCopy
