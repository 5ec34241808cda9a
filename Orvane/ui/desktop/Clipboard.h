#pragma once

#include <QString>

#include <memory>

namespace orvane {

// The desktop's clipboard, for plain text.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    // Clears the clipboard and puts `text` on it; true when the clipboard then holds exactly that text.
    virtual bool putText(const QString& text) = 0;

    // QGuiApplication's clipboard. QClipboard reports no result, so the text is read back.
    static std::shared_ptr<Clipboard> system();
};

} // namespace orvane
