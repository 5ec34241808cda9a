#include "stage2/NameFolding.h"

#include <QChar>

#include <limits>
#include <stdexcept>
#include <string>

#include <unicode/uchar.h>
#include <unicode/unorm2.h>

namespace orvane {

namespace {

[[noreturn]] void failUnicodeData(UErrorCode error)
{
    throw std::runtime_error(std::string("Unicode folding data is unavailable: ") + u_errorName(error));
}

const UNormalizer2* nfkcCaseFold()
{
    UErrorCode error = U_ZERO_ERROR;
    const UNormalizer2* normalizer = unorm2_getNFKCCasefoldInstance(&error);
    if (U_FAILURE(error) || !normalizer)
        failUnicodeData(error);
    return normalizer;
}

} // namespace

QString foldedName(QStringView text)
{
    // Names are at most a few kilobytes; a text ICU cannot index is no name at all.
    if (text.size() > std::numeric_limits<int32_t>::max() / 4)
        throw std::length_error("Text too long to fold");
    static const UNormalizer2* const normalizer = nfkcCaseFold();
    const auto* source = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = static_cast<int32_t>(text.size());

    // Folding rarely lengthens a name much ("ß" becomes two letters, U+FDFA eighteen): one retry at
    // the size ICU asks for covers every case.
    QString folded(text.size() + 16, Qt::Uninitialized);
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode error = U_ZERO_ERROR;
        const int32_t written = unorm2_normalize(normalizer, source, length, reinterpret_cast<UChar*>(folded.data()),
                                                 static_cast<int32_t>(folded.size()), &error);
        if (error == U_BUFFER_OVERFLOW_ERROR) {
            folded.resize(written);
            continue;
        }
        if (U_FAILURE(error))
            failUnicodeData(error);
        folded.truncate(written);
        return folded;
    }
    failUnicodeData(U_BUFFER_OVERFLOW_ERROR);
}

bool containsInvisibleFormatCharacter(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t scalar = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            scalar = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        const auto c = static_cast<UChar32>(scalar);
        if (u_hasBinaryProperty(c, UCHAR_DEFAULT_IGNORABLE_CODE_POINT) || u_hasBinaryProperty(c, UCHAR_BIDI_CONTROL))
            return true;
    }
    return false;
}

} // namespace orvane
