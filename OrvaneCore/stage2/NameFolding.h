#pragma once

#include <QString>
#include <QStringView>

namespace orvane {

// Names as folding file systems compare them, from Unicode's own data (ICU) rather than a
// one-to-one fold: every volume that ignores case, normal form or invisible characters merges no
// two names that these keys keep apart.

// NFKC_Casefold: full case folding ("ß" and "ss", "ﬁ" and "fi"), compatibility and canonical
// equivalence, and default-ignorable code points removed. Cannot fail for any UTF-16 text: an
// unpaired surrogate passes through as itself.
QString foldedName(QStringView text);

// True when `text` holds a scalar that is default-ignorable (U+00AD, U+200B, U+FEFF, U+2060,
// variation selectors, …) or a bidirectional control (U+202E, U+2066, …): the name shown then
// differs from the name a folding volume compares, or reads in another order than it is stored.
bool containsInvisibleFormatCharacter(QStringView text);

} // namespace orvane
