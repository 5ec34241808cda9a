#include "app/RememberedSettings.h"

#include <QSettings>

namespace orvane {
namespace {

class QtRememberedSettings final : public RememberedSettings {
public:
    std::optional<QString> text(const QString& key) const override
    {
        const QVariant value = m_settings.value(key);
        if (value.typeId() != QMetaType::QString)
            return std::nullopt;
        return value.toString();
    }

    void setText(const QString& key, const QString& value) override { m_settings.setValue(key, value); }

    void remove(const QString& key) override { m_settings.remove(key); }

private:
    QSettings m_settings{QStringLiteral("Orvane"), QStringLiteral("Orvane")};
};

} // namespace

std::shared_ptr<RememberedSettings> RememberedSettings::system()
{
    return std::make_shared<QtRememberedSettings>();
}

} // namespace orvane
