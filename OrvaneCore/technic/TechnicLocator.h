#pragma once

#include "technic/TechnicFileReading.h"
#include "technic/TechnicLocation.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <optional>
#include <vector>

namespace orvane {

// Finds the official Technic Launcher and its data folder. It keeps no result: every call looks
// again, so a launcher installed while the program runs is found next time. It only tests for
// existence and lists folders; it opens and changes nothing.
class TechnicLocator final {
public:
    // Application names tried in every folder, in order.
    static const QStringList applicationNames;
    // Launcher JAR names tried last, in order.
    static const QStringList jarNames;

    // Without `applications` the search list is "/Applications", then home/"Applications".
    explicit TechnicLocator(std::filesystem::path home,
                            std::optional<std::vector<std::filesystem::path>> applications = std::nullopt);

    TechnicLocation locate() const;
    std::optional<std::filesystem::path> locateApplication() const;
    // The first that exists (a file of that name counts too): home/.technic, defaultDataRoot(),
    // home/"Library/Application Support/techniclauncher".
    std::optional<std::filesystem::path> locateDataRoot() const;

    // home/"Library/Application Support/technic", whether or not it exists.
    std::filesystem::path defaultDataRoot() const;

    // The first folder/name that exists, every name tried in one folder before the next folder.
    std::optional<std::filesystem::path> findNamedApplication(const QStringList& names) const;
    // The first entry, folder by folder in listing order, whose name passes `matches`.
    template <class Predicate>
    std::optional<std::filesystem::path> scanApplications(Predicate&& matches) const;
    // Names "technic" (any letter case) and ends in the extension "app" exactly.
    static bool isTechnicApplicationName(const std::filesystem::path& name);

    const std::filesystem::path& home() const { return m_home; }
    const std::vector<std::filesystem::path>& applications() const { return m_applications; }
    void setApplications(std::vector<std::filesystem::path> applications) { m_applications = std::move(applications); }

private:
    std::filesystem::path m_home;
    std::vector<std::filesystem::path> m_applications;
};

template <class Predicate>
std::optional<std::filesystem::path> TechnicLocator::scanApplications(Predicate&& matches) const
{
    for (const auto& folder : m_applications) {
        // A folder that cannot be listed is passed over.
        for (const auto& entry : listFolder(folder).value_or(std::vector<std::filesystem::path>())) {
            if (matches(entry.filename()))
                return entry;
        }
    }
    return std::nullopt;
}

} // namespace orvane
