#include "preroll/CPftMonitorText.h"

#include <algorithm>

CPftMonitorText::CPftMonitorText(const QString &shown, int boundary)
{
    const qsizetype size = shown.size();
    const qsizetype limit = std::clamp<qsizetype>(boundary, 0, size);
    m_text.reserve(size);
    for (qsizetype i = 0; i < size; ++i) {
        // A boundary between the CR and the LF of one line end stays at that line's end.
        if (i == limit)
            m_nBoundary = static_cast<int>(m_text.size());
        const QChar ch = shown.at(i);
        if (ch == u'\r') {
            if (i + 1 < size && shown.at(i + 1) == u'\n') {
                if (i + 1 == limit)
                    m_nBoundary = static_cast<int>(m_text.size());
                ++i;
            }
            m_text.append(u'\n');
        } else {
            m_text.append(ch);
        }
    }
    if (limit == size)
        m_nBoundary = static_cast<int>(m_text.size());
}

bool CPftMonitorText::boundaryAfterLastLine() const
{
    if (m_text.isEmpty() || m_nBoundary < m_text.size())
        return false;
    const QChar last = m_text.back();
    return last != u'\n' && last != QChar::ParagraphSeparator;
}
