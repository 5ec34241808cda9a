#pragma once

#include <QString>

#include <exception>
#include <string>

namespace orvane {

// Base of every error of ours that carries a sentence for the user; what() is that sentence in UTF-8.
class DescribedError : public std::exception {
public:
    const QString& description() const { return m_description; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

protected:
    explicit DescribedError(QString description)
        : m_description(std::move(description)), m_utf8(m_description.toStdString())
    {
    }

private:
    QString m_description;
    std::string m_utf8;
};

// Thrown when a cancelled operation stops.
class CancellationError final : public DescribedError {
public:
    CancellationError() : DescribedError(QStringLiteral("The operation was cancelled.")) {}
};

// The text shown to the user for any error: our sentence, or the platform's "<operation> <path>: <reason>".
QString describe(const std::exception& error);

} // namespace orvane
