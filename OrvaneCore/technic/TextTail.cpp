#include "technic/TextTail.h"

namespace orvane {

namespace {

// Where the kept part of `text` begins when everything before `cut` must go.
qsizetype keptStart(QStringView text, qsizetype cut, qsizetype capacity)
{
    const qsizetype newline = text.indexOf(u'\n', cut - 1);
    if (newline >= 0 && newline + 1 - cut <= capacity / 2)
        return newline + 1;
    return text[cut].isLowSurrogate() ? cut + 1 : cut;
}

} // namespace

TextTail::TextTail(qsizetype capacity) : m_capacity(capacity) {}

void TextTail::append(QStringView text)
{
    if (text.size() >= m_capacity) {
        // Nothing kept before survives: cut the new text alone, without copying it whole.
        const qsizetype cut = text.size() - m_capacity;
        m_text = text.mid(cut > 0 ? keptStart(text, cut, m_capacity) : 0).toString();
        return;
    }
    m_text += text;
    if (m_text.size() > m_capacity)
        m_text.remove(0, keptStart(m_text, m_text.size() - m_capacity, m_capacity));
}

} // namespace orvane
