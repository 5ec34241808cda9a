#pragma once

#include <QString>

namespace orvane {

// What the primary button shows: blocked and failed carry the sentence under the button.
class PrimaryActionDisplayState final {
public:
    enum class Case { blocked, failed, inspect, ready, preparing, observing };

    static PrimaryActionDisplayState blocked(QString reason) { return {Case::blocked, std::move(reason)}; }
    static PrimaryActionDisplayState failed(QString message) { return {Case::failed, std::move(message)}; }
    static PrimaryActionDisplayState inspect() { return {Case::inspect, {}}; }
    static PrimaryActionDisplayState ready() { return {Case::ready, {}}; }
    static PrimaryActionDisplayState preparing() { return {Case::preparing, {}}; }
    static PrimaryActionDisplayState observing() { return {Case::observing, {}}; }

    Case kind() const { return m_case; }
    // The text of blocked and failed; empty for the others.
    const QString& text() const { return m_text; }

    bool operator==(const PrimaryActionDisplayState&) const = default;

private:
    PrimaryActionDisplayState(Case kind, QString text) : m_case(kind), m_text(std::move(text)) {}

    Case m_case;
    QString m_text;
};

} // namespace orvane
