#include "display/CFontMetricsMeasurer.h"

#include <QtMath>

#include <algorithm>

CFontMetricsMeasurer::CFontMetricsMeasurer(const QFont &font) : m_font(displayFont(font)), m_metrics(m_font)
{
}

QFont CFontMetricsMeasurer::displayFont(const QFont &font)
{
    QFont result(font);
    result.setKerning(false);
    return result;
}

int CFontMetricsMeasurer::fontHeight() const
{
    return qCeil(m_metrics.height());
}

int CFontMetricsMeasurer::ascent() const
{
    return qCeil(m_metrics.ascent());
}

qreal CFontMetricsMeasurer::advance(char32_t codePoint) const
{
    const auto found = m_advances.constFind(codePoint);
    if (found != m_advances.cend())
        return found.value();
    const qreal width = m_metrics.horizontalAdvance(QString::fromUcs4(&codePoint, 1));
    m_advances.insert(codePoint, width);
    return width;
}

int CFontMetricsMeasurer::textWidth(QStringView text) const
{
    const qsizetype size = text.size();
    // How much of the last text this one repeats; its prefix widths stay valid up to there.
    const qsizetype known = std::min<qsizetype>(m_text.size(), size);
    qsizetype same = 0;
    while (same < known && m_text.at(same) == text.at(same))
        ++same;
    // A surrogate pair is measured as one character when its high half comes in, so a common
    // part that ends inside a pair is one unit shorter.
    if (same > 0 && QChar::isHighSurrogate(text.at(same - 1).unicode()))
        --same;
    m_text.resize(same);
    m_prefixWidths.resize(static_cast<size_t>(same) + 1);

    qsizetype i = same;
    while (i < size) {
        const char16_t unit = text.at(i).unicode();
        qreal width = 0;
        qsizetype units = 1;
        if (QChar::isHighSurrogate(unit)) {
            if (i + 1 >= size) {
                // The low half is not in this text: measure it as it stands, and keep nothing.
                const qreal whole = m_metrics.horizontalAdvance(text.toString());
                return qRound(whole);
            }
            const char16_t low = text.at(i + 1).unicode();
            width = QChar::isLowSurrogate(low) ? advance(QChar::surrogateToUcs4(unit, low)) : advance(unit);
            units = QChar::isLowSurrogate(low) ? 2 : 1;
        } else {
            width = advance(unit);
        }
        const qreal before = m_prefixWidths.back();
        m_text.append(text.mid(i, units));
        // Both halves of a pair carry the pair's width.
        for (qsizetype k = 0; k < units; ++k)
            m_prefixWidths.push_back(before + width);
        i += units;
    }
    return qRound(m_prefixWidths[static_cast<size_t>(size)]);
}
