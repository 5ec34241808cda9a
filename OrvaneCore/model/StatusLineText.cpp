#include "model/StatusLineText.h"

#include "model/LaunchResultDiagnostic.h"

namespace orvane {

QString statusLineText(const QString& text, qsizetype maxBytes)
{
    QString line = text;
    for (QChar& c : line) {
        const char16_t unit = c.unicode();
        if (unit < 0x20 || (unit >= 0x7F && unit < 0xA0))
            c = QLatin1Char(' ');
    }
    line = firstGraphemeClusters(line.simplified(), statusLineLength);
    for (int clusters = statusLineLength; line.toUtf8().size() > maxBytes && clusters > 0;)
        line = firstGraphemeClusters(line, --clusters);
    return line.trimmed(); // a cut may end on the blank between two words
}

} // namespace orvane
