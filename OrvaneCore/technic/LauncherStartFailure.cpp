#include "technic/LauncherStartFailure.h"

#include "model/DiagnosticRedactor.h"
#include "model/StatusLineText.h"

#include <QRegularExpression>
#include <QStringList>

namespace orvane::LauncherStartFailure {

namespace {

const QString separator = QStringLiteral(" \u00B7 ");

QString redactedText(const QByteArray& errorOutput)
{
    return DiagnosticRedactor::redact(QString::fromUtf8(errorOutput));
}

// The non-blank lines of `text`, each on one line with its blanks collapsed.
QStringList lines(const QString& text)
{
    QStringList out;
    for (const QString& line : text.split(QRegularExpression(QStringLiteral("[\\r\\n]")))) {
        const QString clean = statusLineText(line, LaunchContractLimits::maximumResultMessageBytes);
        if (!clean.isEmpty())
            out.push_back(clean);
    }
    return out;
}

} // namespace

bool isFailure(const ChildExit& exit)
{
    return exit.signalled || exit.status != 0;
}

QString message(const ChildExit& exit, const QByteArray& errorOutput)
{
    const QString lead = exit.signalled
        ? QStringLiteral("Technic did not start: Java was ended by signal %1.").arg(exit.status)
        : QStringLiteral("Technic did not start: Java exited %1.").arg(exit.status);
    const QStringList errorLines = lines(redactedText(errorOutput));
    if (errorLines.isEmpty())
        return statusLineText(lead);

    // The last lines that fit whole, always at least the very last one (cut when it is too long).
    QString tail = errorLines.last();
    for (qsizetype i = errorLines.size() - 2; i >= 0; --i) {
        const QString longer = errorLines.at(i) + separator + tail;
        if (lead.size() + 1 + longer.size() > statusLineLength)
            break;
        tail = longer;
    }
    return statusLineText(lead + QLatin1Char(' ') + tail);
}

QString excerpt(const QByteArray& errorOutput)
{
    QString text = redactedText(errorOutput);
    while (!text.isEmpty() && text.back().isSpace())
        text.chop(1);
    while (!text.isEmpty() && (text.front() == QLatin1Char('\n') || text.front() == QLatin1Char('\r')))
        text.remove(0, 1);
    return text;
}

} // namespace orvane::LauncherStartFailure
