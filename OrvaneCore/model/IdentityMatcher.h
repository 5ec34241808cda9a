#pragma once

#include "model/RedactionIdentities.h"

#include <QRegularExpression>
#include <QString>

#include <vector>

namespace orvane {

// Replaces every occurrence of known identities with the marker of their kind, in one pass over the
// text whatever their number (a very long list is split into a few expressions): one
// case-insensitive alternation of every spelling of every value, longest first, so that of a login
// name "alice" and the host "alice-laptop" the host is found.
//
// A value is found as a whole word (a name is not found inside a longer name; a host not inside a
// longer host), also right after a JSON escape ("\n") or a percent-encoded byte, and in each form it
// takes in logs, URLs and JSON: its characters outside letters, digits, "_", "." and "-" may each be
// percent-encoded (a blank also as "+") or JSON-escaped ("\/", "\"", "\u0027"). A UUID is found with
// and without its dashes.
class IdentityMatcher final {
public:
    explicit IdentityMatcher(const RedactionIdentities& identities);

    // Unpaired surrogates become U+FFFD, as the redactor makes them.
    QString apply(const QString& text) const;

private:
    struct Part {
        QRegularExpression expression;
        // The kind of each capture group, by group number.
        std::vector<IdentityKind> kinds;
    };

    // `text` has paired surrogates.
    QString apply(const QString& text, const Part& part) const;

    std::vector<Part> m_parts;
};

} // namespace orvane
