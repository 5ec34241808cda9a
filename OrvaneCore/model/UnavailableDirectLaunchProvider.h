#pragma once

#include "model/LaunchProvider.h"

#include <QString>

namespace orvane {

// The provider of record for direct launch: it reports one failed event and refuses.
class UnavailableDirectLaunchProvider final : public LaunchProvider {
public:
    // `reason` becomes the event message and the error text unchanged, so it must be a full sentence.
    explicit UnavailableDirectLaunchProvider(QString reason) : m_reason(std::move(reason)) {}

    LaunchProviderID id() const override { return LaunchProviderID::orvaneDirect; }
    LaunchMode mode() const override { return LaunchMode::direct; }

    const QString& reason() const { return m_reason; }
    void setReason(QString reason) { m_reason = std::move(reason); }

    // Never returns: calls `onEvent` once with a failed event, then throws LaunchProviderError::unavailable.
    // It looks neither at the pack's mode nor at cancellation.
    LaunchResult launch(const PackLaunchRequest& request, const LaunchEventHandler& onEvent,
                        std::stop_token stop) override;

private:
    QString m_reason;
};

} // namespace orvane
