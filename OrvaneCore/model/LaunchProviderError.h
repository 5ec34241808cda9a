#pragma once

#include "json/DescribedError.h"
#include "model/DirectLaunchGateRequirement.h"
#include "model/LaunchMode.h"
#include "model/LaunchProviderID.h"

#include <QString>

#include <optional>
#include <vector>

namespace orvane {

// Every failure of the launch contract. Each kind carries the sentence the user sees.
class LaunchProviderError final : public DescribedError {
public:
    enum class Kind {
        unavailable,
        directLaunchBlocked,
        invalidResult,
        providerMismatch,
        launchInProgress,
        staleCompletion,
    };

    // The payload of providerMismatch: expected is what the pack names, actual what the provider reports.
    struct Mismatch {
        LaunchProviderID expectedProvider;
        LaunchProviderID actualProvider;
        LaunchMode expectedMode;
        LaunchMode actualMode;

        bool operator==(const Mismatch&) const = default;
    };

    // `reason` is shown unchanged, so it must be a complete sentence.
    static LaunchProviderError unavailable(const QString& reason);
    static LaunchProviderError directLaunchBlocked(std::vector<DirectLaunchGateRequirement> missing);
    static LaunchProviderError invalidResult(const QString& detail);
    static LaunchProviderError providerMismatch(LaunchProviderID expectedProvider, LaunchProviderID actualProvider,
                                                LaunchMode expectedMode, LaunchMode actualMode);
    static LaunchProviderError launchInProgress();
    static LaunchProviderError staleCompletion();

    Kind kind() const { return m_kind; }
    // The reason of unavailable or the detail of invalidResult.
    const QString& text() const { return m_text; }
    // The missing requirements of directLaunchBlocked, in gate order.
    const std::vector<DirectLaunchGateRequirement>& missing() const { return m_missing; }
    // The pair of providerMismatch; absent for every other kind.
    const std::optional<Mismatch>& mismatch() const { return m_mismatch; }

    friend bool operator==(const LaunchProviderError& a, const LaunchProviderError& b)
    {
        return a.m_kind == b.m_kind && a.m_text == b.m_text && a.m_missing == b.m_missing
            && a.m_mismatch == b.m_mismatch;
    }

private:
    LaunchProviderError(Kind kind, QString text, std::vector<DirectLaunchGateRequirement> missing,
                        std::optional<Mismatch> mismatch);
    static QString sentence(Kind kind, const QString& text, const std::vector<DirectLaunchGateRequirement>& missing,
                            const std::optional<Mismatch>& mismatch);

    Kind m_kind;
    QString m_text;
    std::vector<DirectLaunchGateRequirement> m_missing;
    std::optional<Mismatch> m_mismatch;
};

} // namespace orvane
