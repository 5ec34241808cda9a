#pragma once

#include "model/ReleaseManifest.h"

#include <QString>

#include <cstdint>
#include <variant>

namespace orvane {

// Where the manual update check stands. Starts idle; a check passes through checking and ends in
// current, available or failed until the next one.
class UpdateCheckState final {
public:
    enum class Case { current, available, failed, idle, checking };

    // The one sentence every failed check ends in.
    static QString failedText();

    static UpdateCheckState current(QString version, std::int64_t build);
    static UpdateCheckState available(ReleaseManifest manifest);
    static UpdateCheckState failed(QString text);
    static UpdateCheckState idle() { return UpdateCheckState(); }
    static UpdateCheckState checking();

    UpdateCheckState() = default;

    Case kind() const;
    bool isFailed() const { return kind() == Case::failed; }
    bool isChecking() const { return kind() == Case::checking; }
    // The line the details sheet shows.
    QString statusText() const;

    // Payloads; each valid only for its case.
    const QString& currentVersion() const { return std::get<Current>(m_value).version; }
    std::int64_t currentBuild() const { return std::get<Current>(m_value).build; }
    const ReleaseManifest& manifest() const { return std::get<ReleaseManifest>(m_value); }
    const QString& failureText() const { return std::get<Failed>(m_value).text; }

    bool operator==(const UpdateCheckState&) const = default;

private:
    struct Current {
        QString version;
        std::int64_t build = 0;
        bool operator==(const Current&) const = default;
    };
    struct Failed {
        QString text;
        bool operator==(const Failed&) const = default;
    };
    struct Idle {
        bool operator==(const Idle&) const = default;
    };
    struct Checking {
        bool operator==(const Checking&) const = default;
    };
    using Value = std::variant<Idle, Current, ReleaseManifest, Failed, Checking>;

    explicit UpdateCheckState(Value value) : m_value(std::move(value)) {}

    Value m_value;
};

} // namespace orvane
