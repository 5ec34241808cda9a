#pragma once

#include <exception>

namespace orvane {

// Why a manual update check failed. Never shown by name: every failure ends in the one sentence of
// UpdateCheckState::failedText.
class UpdateCheckError final : public std::exception {
public:
    enum class Kind {
        unavailable,    // no usable HTTP answer
        invalidRelease, // the record breaks a rule, or a version does not parse
    };

    explicit UpdateCheckError(Kind kind) : m_kind(kind) {}

    Kind kind() const { return m_kind; }
    const char* what() const noexcept override
    {
        return m_kind == Kind::unavailable ? "release record unavailable" : "invalid release record";
    }

private:
    Kind m_kind;
};

} // namespace orvane
