#include "app/support/SampleRecords.h"

namespace orvane::test {

LaunchResult sampleLaunchResult(LaunchResultState state, std::optional<LaunchObservation> legacyObservation)
{
    const QDateTime started = QDateTime::fromString(QStringLiteral("2026-12-08T07:21:08Z"), Qt::ISODate);
    return LaunchResult{
        QUuid::fromString(QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")),
        PackDescriptor::tekkit2,
        LaunchProviderID::officialTechnic,
        LaunchMode::companionHandoff,
        started,
        started.addSecs(30),
        {},
        state,
        QStringLiteral("Technic is open."),
        std::move(legacyObservation),
    };
}

LaunchObservation sampleObservation(LaunchOutcome outcome)
{
    LaunchObservation observation;
    observation.openedTechnic = true;
    observation.outcome = outcome;
    observation.message = QStringLiteral("Observed.");
    return observation;
}

LaunchReceipt sampleReceipt(LaunchOutcome outcome)
{
    LaunchReceipt receipt;
    receipt.storage = QString(LaunchReceipt::localOnly);
    receipt.observationScope = QString(LaunchReceipt::initialLaunchOnly);
    receipt.observedAt = QDateTime::fromString(QStringLiteral("2026-12-08T07:21:08Z"), Qt::ISODate);
    receipt.instanceIdentity = QStringLiteral("tekkit2");
    receipt.outcome = outcome;
    return receipt;
}

} // namespace orvane::test
