#include "ui/desktop/Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace orvane {

namespace {

class SystemClipboard final : public Clipboard {
public:
    bool putText(const QString& text) override
    {
        QClipboard* clipboard = QGuiApplication::clipboard();
        if (!clipboard)
            return false;
        clipboard->clear();
        clipboard->setText(text);
        return clipboard->text() == text;
    }
};

} // namespace

std::shared_ptr<Clipboard> Clipboard::system()
{
    static const auto instance = std::make_shared<SystemClipboard>();
    return instance;
}

} // namespace orvane
