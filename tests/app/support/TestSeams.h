#pragma once

#include "app/AppSeams.h"

#include <QString>

#include <map>
#include <mutex>

namespace orvane::test {

// Remembered settings kept in memory.
class InMemorySettings final : public RememberedSettings {
public:
    std::optional<QString> text(const QString& key) const override;
    void setText(const QString& key, const QString& value) override;
    void remove(const QString& key) override;

private:
    mutable std::mutex m_mutex;
    std::map<QString, QString> m_values;
};

// Seams that touch nothing outside the test: the given home on an arm64 host (its "no-jvm" folder, which
// nothing makes, as the JVM root), an empty environment, settings in
// memory, version 1.2.0 build 41, a Java probe answering `javaReady`, no release fetcher (tests that
// check for updates set one) and a 2560 × 1600 display at scale 2.
AppSeams testSeams(const std::filesystem::path& home = "/nonexistent-home", bool javaReady = true);

} // namespace orvane::test
