#pragma once

#include "model/DiagnosticRedactor.h"

#include <QRegularExpression>
#include <QString>

#include <initializer_list>
#include <utility>
#include <vector>

namespace orvane::RedactionRules {

// \s, \d and \b follow Unicode, so a no-break space ends a value like any blank.
inline constexpr auto baseOptions = QRegularExpression::UseUnicodePropertiesOption;

// The template that inserts the text "$HOME".
inline constexpr const char* homeTemplate = R"re(\$HOME)re";

// The rules of `table` (pattern, template) compiled with `options`, in order; a pattern that does not
// compile is left out.
std::vector<DiagnosticRedactor::Rule> compile(std::initializer_list<std::pair<QString, QString>> table,
                                              QRegularExpression::PatternOptions options);

// `text` with every match of `rule` replaced by its template. A match its template leaves as it is
// (a value redacted on an earlier pass) is skipped, so a settled text is scanned but not copied.
// `options` may tell the expression library not to check the text for unpaired surrogates, when the
// caller has made sure there are none.
QString apply(const QString& text, const DiagnosticRedactor::Rule& rule,
              QRegularExpression::MatchOptions options = QRegularExpression::NoMatchOption);

// `text` with every unpaired surrogate replaced by U+FFFD. PCRE refuses a subject with unpaired
// surrogates and would then match nothing, letting every secret through; a text made so may also be
// searched without the library's check.
QString withPairedSurrogates(const QString& text);

// A negative look-ahead for hosts that name no player's server: the launcher's, sign-in and download
// services (a failure to reach them is diagnosis) and this machine itself. A ":" after such a host
// still leaves it out when a port or a message follows ("localhost:25565", "api.technicpack.net:
// Temporary failure in name resolution").
QString notAKeptHost();

} // namespace orvane::RedactionRules
