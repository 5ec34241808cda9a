#pragma once

#include "model/RedactionIdentities.h"

#include <QRegularExpression>
#include <QString>

#include <vector>

namespace orvane {

// The one text filter for everything written or shown for diagnosis: home folders, account names,
// tokens, passwords, codes, servers, private addresses, e-mail addresses and UUIDs do not get through.
namespace DiagnosticRedactor {

struct Rule {
    QRegularExpression expression;
    // Template: "$1" is the first capture group, "\$" a literal dollar sign, "\\" a literal backslash.
    QString replacement;
};

// User folders under /Users and /home, plain and JSON-escaped; each match becomes "$HOME". Case-sensitive.
const std::vector<Rule>& userPathRules();
// The credential, server, address and identifier rules, in the order they are applied. Case-insensitive.
const std::vector<Rule>& rules();
// Applied after rules(): the shapes launcher and game logs write the same secrets in (command-line
// flags with a blank before the value, sign-in headers, connection lines, environment and property
// dumps), account names ("[REDACTED_USER]") and the home spellings "~name" and "/home//name".
// Case-insensitive, but for the environment names and the paths.
const std::vector<Rule>& logShapeRules();
// Applied after logShapeRules(): the shapes that name other people and more secrets. Chat messages
// ("[REDACTED_CHAT]") and the names in join, leave, login, lost-connection and "UUID of player … is …"
// lines; profile and sign-in names and ids; values of JSON keys, URL parameters and form fields named
// like a secret; whole Xbox tokens and webhook tokens; removable-media, JVM and Wine paths of an
// account; MAC and EUI-64 IPv6 addresses; and the player's servers in server-list, launch-command and
// connection lines. Case-insensitive, but for the paths and environment names.
const std::vector<Rule>& accountShapeRules();

// Redacts `text` for the current user's home folder.
QString redact(const QString& text);
// Redacts `text` with `home` taken as the user's home folder. A home that is empty or the root is
// not replaced as text (it would erase every "/"); the user-path rules still apply.
QString redact(const QString& text, const QString& home);
// The same, and every occurrence of `known` and of the identities the text itself names (a name
// learned from "Setting user:" is also removed from chat lines and crash reports) becomes the marker
// of its kind, after all the rules. redact(text, home) learns from the text alone.
QString redact(const QString& text, const QString& home, const RedactionIdentities& known);

} // namespace DiagnosticRedactor

} // namespace orvane
