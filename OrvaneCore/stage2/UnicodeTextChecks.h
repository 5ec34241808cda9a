#pragma once

#include <QChar>
#include <QStringView>

namespace orvane {

// Measures shared by the delivery checks, which count lengths in UTF-8 bytes and refuse text that
// has no faithful UTF-8 form instead of letting a conversion replace it.

// True when `text` holds a surrogate that is not part of a pair.
bool hasUnpairedSurrogate(QStringView text);

// UTF-8 length of well-formed UTF-16: a surrogate pair is four bytes, two per unit.
qsizetype utf8ByteCount(QStringView text);

// A scalar below U+0020, or U+007F. Surrogates lie far above, so code units can be tested alone.
inline bool isControlCharacter(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

bool containsControlCharacter(QStringView text);

// True when the text's code units equal those of its canonical composition: a decomposed name, or
// a singleton such as KELVIN SIGN, is not.
bool isInNormalizationFormC(QStringView text);

} // namespace orvane
