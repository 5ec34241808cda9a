#include "model/UpdateCheckState.h"

namespace orvane {

QString UpdateCheckState::failedText()
{
    return QStringLiteral("Couldn’t check right now. Orvane was not changed.");
}

UpdateCheckState UpdateCheckState::current(QString version, std::int64_t build)
{
    return UpdateCheckState(Current{std::move(version), build});
}

UpdateCheckState UpdateCheckState::available(ReleaseManifest manifest)
{
    return UpdateCheckState(std::move(manifest));
}

UpdateCheckState UpdateCheckState::failed(QString text)
{
    return UpdateCheckState(Failed{std::move(text)});
}

UpdateCheckState UpdateCheckState::checking()
{
    return UpdateCheckState(Checking{});
}

UpdateCheckState::Case UpdateCheckState::kind() const
{
    if (std::holds_alternative<Current>(m_value))
        return Case::current;
    if (std::holds_alternative<ReleaseManifest>(m_value))
        return Case::available;
    if (std::holds_alternative<Failed>(m_value))
        return Case::failed;
    if (std::holds_alternative<Checking>(m_value))
        return Case::checking;
    return Case::idle;
}

QString UpdateCheckState::statusText() const
{
    switch (kind()) {
    case Case::current:
        return QStringLiteral("Orvane %1 (%2) is current.").arg(currentVersion(), QString::number(currentBuild()));
    case Case::available:
        return QStringLiteral("Orvane %1 (%2) is available. Opening it is your choice.")
            .arg(manifest().version, QString::number(manifest().build));
    case Case::failed:
        return failureText();
    case Case::idle:
        return QStringLiteral("No automatic checks.");
    case Case::checking:
        return QStringLiteral("Checking the release record…");
    }
    return {};
}

} // namespace orvane
