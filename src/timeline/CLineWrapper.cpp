#include "timeline/CLineWrapper.h"

#include "timeline/ITextMeasurer.h"

#include <algorithm>

namespace {

// The ideographic space counts too: typists separate Japanese phrases with it, and a row that
// began with it would look indented.
bool isBreakSpace(char32_t c)
{
    return c == U' ' || c == U'\u3000';
}

// Scripts written without spaces between words: any two characters may go on different rows.
bool breaksAnywhere(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF)       // CJK radicals, punctuation, kana, ideographs
           || (c >= 0xF900 && c <= 0xFAFF)    // compatibility ideographs
           || (c >= 0xFE30 && c <= 0xFE4F)    // vertical compatibility forms
           || (c >= 0xFF00 && c <= 0xFFEF)    // full-width and half-width forms
           || (c >= 0x20000 && c <= 0x3FFFF); // supplementary ideographs
}

char32_t codePointEndingAt(QStringView text, qsizetype end)
{
    const QChar last = text.at(end - 1);
    if (last.isLowSurrogate() && end >= 2 && text.at(end - 2).isHighSurrogate())
        return QChar::surrogateToUcs4(text.at(end - 2), last);
    return last.unicode();
}

char32_t codePointAt(QStringView text, qsizetype at)
{
    const QChar first = text.at(at);
    if (first.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(first, text.at(at + 1));
    return first.unicode();
}

// Whether a row may end before text[at] (0 < at < size).
bool mayBreakBefore(QStringView text, qsizetype at)
{
    if (text.at(at).isLowSurrogate())
        return false;
    const char32_t before = codePointEndingAt(text, at);
    const char32_t after = codePointAt(text, at);
    return isBreakSpace(before) || isBreakSpace(after) || breaksAnywhere(before) || breaksAnywhere(after);
}

qsizetype skipSpaces(QStringView text, qsizetype at)
{
    while (at < text.size() && isBreakSpace(text.at(at).unicode()))
        ++at;
    return at;
}

} // namespace

CLineWrapper::CLineWrapper(const ITextMeasurer &measurer, int width, const QString &noLineStart)
    : m_measurer(measurer), m_nWidth(width), m_strNoLineStart(noLineStart)
{
}

QStringList CLineWrapper::Wrap(QStringView text) const
{
    QStringList rows;
    const qsizetype len = text.size();
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < len) {
        const QChar c = text.at(i);
        const bool hasNext = i + 1 < len;
        const QChar n = hasNext ? text.at(i + 1) : QChar();
        if (c == u'\r' || c == u'\n') {
            const qsizetype end = (c == u'\r' && n == u'\n') ? i + 2 : i + 1;
            // An empty line holds its break character, so that it still takes a row.
            rows.append(text.mid(start, std::max<qsizetype>(i - start, 1)).toString());
            start += std::max<qsizetype>(end - start, 1);
            i = start;
            if (start >= len)
                rows.append(QString());
            continue;
        }
        const bool overflows = m_measurer.textWidth(text.mid(start, i - start + 1)) > m_nWidth;
        // n may not begin a row, so c goes down with it.
        const bool takesNextDown = !overflows && hasNext && m_strNoLineStart.contains(n) &&
                                   m_measurer.textWidth(text.mid(start, i - start + 2)) > m_nWidth;
        if (!overflows && !takesNextDown) {
            ++i;
            continue;
        }
        const qsizetype cut = breakBefore(text, start, i);
        // At least one character (both halves of a surrogate pair), so a too-narrow display still
        // makes progress.
        const qsizetype least = codePointAt(text, start) > 0xFFFF ? 2 : 1;
        QStringView row = text.mid(start, std::max(cut - start, least));
        qsizetype kept = row.size();
        while (kept > 0 && isBreakSpace(row.at(kept - 1).unicode()))
            --kept;
        if (kept > 0)
            row = row.first(kept);
        rows.append(row.toString());
        start = skipSpaces(text, std::max(cut, start + least));
        i = start;
    }
    if (start < len)
        rows.append(text.mid(start).toString());
    if (rows.isEmpty())
        rows.append(QString());
    return rows;
}

qsizetype CLineWrapper::breakBefore(QStringView text, qsizetype start, qsizetype i) const
{
    for (qsizetype at = i; at > start; --at) {
        if (!mayBreakBefore(text, at))
            continue;
        const qsizetype next = skipSpaces(text, at);
        // The look-ahead only keeps one such character with the one before it; in a run like
        // "。」" the first may still come to the front, so the break moves back past the run.
        if (next < text.size() && m_strNoLineStart.contains(text.at(next)))
            continue;
        // A row of nothing but the spaces it started with would gain nothing.
        const auto isInk = [](QChar ch) { return !isBreakSpace(ch.unicode()); };
        const QStringView before = text.mid(start, at - start);
        if (std::any_of(before.cbegin(), before.cend(), isInk))
            return at;
    }
    // No place between words: the word is wider than the row and breaks where it must, though
    // never between the halves of a surrogate pair.
    if (i > start && text.at(i).isLowSurrogate() && text.at(i - 1).isHighSurrogate())
        return i - 1;
    return i;
}
