#include "model/LaunchProviderError.h"

#include <QStringList>

namespace orvane {

LaunchProviderError::LaunchProviderError(Kind kind, QString text, std::vector<DirectLaunchGateRequirement> missing,
                                         std::optional<Mismatch> mismatch)
    : DescribedError(sentence(kind, text, missing, mismatch))
    , m_kind(kind)
    , m_text(std::move(text))
    , m_missing(std::move(missing))
    , m_mismatch(std::move(mismatch))
{
}

LaunchProviderError LaunchProviderError::unavailable(const QString& reason)
{
    return {Kind::unavailable, reason, {}, std::nullopt};
}

LaunchProviderError LaunchProviderError::directLaunchBlocked(std::vector<DirectLaunchGateRequirement> missing)
{
    return {Kind::directLaunchBlocked, {}, std::move(missing), std::nullopt};
}

LaunchProviderError LaunchProviderError::invalidResult(const QString& detail)
{
    return {Kind::invalidResult, detail, {}, std::nullopt};
}

LaunchProviderError LaunchProviderError::providerMismatch(LaunchProviderID expectedProvider,
                                                          LaunchProviderID actualProvider, LaunchMode expectedMode,
                                                          LaunchMode actualMode)
{
    return {Kind::providerMismatch,
            {},
            {},
            Mismatch{std::move(expectedProvider), std::move(actualProvider), expectedMode, actualMode}};
}

LaunchProviderError LaunchProviderError::launchInProgress()
{
    return {Kind::launchInProgress, {}, {}, std::nullopt};
}

LaunchProviderError LaunchProviderError::staleCompletion()
{
    return {Kind::staleCompletion, {}, {}, std::nullopt};
}

QString LaunchProviderError::sentence(Kind kind, const QString& text,
                                      const std::vector<DirectLaunchGateRequirement>& missing,
                                      const std::optional<Mismatch>& mismatch)
{
    switch (kind) {
    case Kind::unavailable:
        return text;
    case Kind::directLaunchBlocked: {
        QStringList names;
        for (const auto requirement : missing)
            names.append(enumName(requirement));
        return QStringLiteral("Direct launch is blocked: ") + names.join(QStringLiteral(", ")) + QLatin1Char('.');
    }
    case Kind::invalidResult:
        return QStringLiteral("Launch provider returned an invalid result: ") + text + QLatin1Char('.');
    case Kind::providerMismatch:
        // Concatenated, not arg(): provider ids are arbitrary text and may hold "%1".
        return QStringLiteral("Launch provider mismatch: expected ") + mismatch->expectedProvider.rawValue()
            + QLatin1Char('/') + enumName(mismatch->expectedMode) + QStringLiteral(", received ")
            + mismatch->actualProvider.rawValue() + QLatin1Char('/') + enumName(mismatch->actualMode)
            + QLatin1Char('.');
    case Kind::launchInProgress:
        return QStringLiteral("A pack launch is already in progress.");
    case Kind::staleCompletion:
        return QStringLiteral("Launch finished after the selected pack or instance changed; its result was "
                              "discarded.");
    }
    return {};
}

} // namespace orvane
