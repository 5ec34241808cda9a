#include "model/CapabilityReport.h"

#include "json/JsonReader.h"

namespace orvane {

QJsonObject toJson(const CapabilityReport& report)
{
    QJsonObject o;
    o.insert(QStringLiteral("chipBrand"), report.chipBrand);
    o.insert(QStringLiteral("hardwareModel"), report.hardwareModel);
    o.insert(QStringLiteral("architecture"), report.architecture);
    o.insert(QStringLiteral("physicalMemoryBytes"), toJsonUnsigned(report.physicalMemoryBytes));
    o.insert(QStringLiteral("physicalMemoryGigabytes"), toJsonNumber(report.physicalMemoryGigabytes));
    o.insert(QStringLiteral("backingScale"), toJsonNumber(report.backingScale));
    o.insert(QStringLiteral("displayWidth"), toJsonInteger(report.displayWidth));
    o.insert(QStringLiteral("displayHeight"), toJsonInteger(report.displayHeight));
    o.insert(QStringLiteral("isRetina"), report.isRetina);
    o.insert(QStringLiteral("volumeAvailableBytes"), toJsonUnsigned(report.volumeAvailableBytes));
    o.insert(QStringLiteral("currentProcessTranslated"), report.currentProcessTranslated);
    o.insert(QStringLiteral("rosettaInstalled"), report.rosettaInstalled);
    o.insert(QStringLiteral("osVersion"), report.osVersion);
    o.insert(QStringLiteral("capturedAt"), toJsonDate(report.capturedAt));
    return o;
}

template <>
CapabilityReport fromJson<CapabilityReport>(const QJsonValue& value)
{
    const JsonReader r(value, QStringLiteral("CapabilityReport"));
    return CapabilityReport{
        .chipBrand = r.string(QStringLiteral("chipBrand")),
        .hardwareModel = r.string(QStringLiteral("hardwareModel")),
        .architecture = r.string(QStringLiteral("architecture")),
        .physicalMemoryBytes = r.unsignedInteger(QStringLiteral("physicalMemoryBytes")),
        .physicalMemoryGigabytes = r.number(QStringLiteral("physicalMemoryGigabytes")),
        .backingScale = r.number(QStringLiteral("backingScale")),
        .displayWidth = r.integer(QStringLiteral("displayWidth")),
        .displayHeight = r.integer(QStringLiteral("displayHeight")),
        .isRetina = r.boolean(QStringLiteral("isRetina")),
        .volumeAvailableBytes = r.unsignedInteger(QStringLiteral("volumeAvailableBytes")),
        .currentProcessTranslated = r.boolean(QStringLiteral("currentProcessTranslated")),
        .rosettaInstalled = r.boolean(QStringLiteral("rosettaInstalled")),
        .osVersion = r.string(QStringLiteral("osVersion")),
        .capturedAt = r.date(QStringLiteral("capturedAt")),
    };
}

} // namespace orvane
