#pragma once

#include <QString>

#include <memory>
#include <optional>

namespace orvane {

// The few texts the application remembers between runs (the chosen instance folder under
// "orvane.labInstance"). Used on the GUI thread only.
class RememberedSettings {
public:
    virtual ~RememberedSettings() = default;

    // The text stored under `key`; nothing when missing or not text.
    virtual std::optional<QString> text(const QString& key) const = 0;
    virtual void setText(const QString& key, const QString& value) = 0;
    virtual void remove(const QString& key) = 0;

    // The user's own settings (QSettings of the organisation and application "Orvane").
    static std::shared_ptr<RememberedSettings> system();

protected:
    RememberedSettings() = default;
    RememberedSettings(const RememberedSettings&) = default;
    RememberedSettings& operator=(const RememberedSettings&) = default;
};

} // namespace orvane
