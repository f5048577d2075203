#pragma once

#include "timeline/ITextMeasurer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QString>

#include <vector>

// The display font as line layout sees it. Wrapping measures a growing prefix of the same text
// once per character, and shaping the whole prefix each time costs microseconds per call with a
// CJK font; so widths are sums of cached per-character advances, extended from the previous
// prefix. The display draws with kerning off (see displayFont), so the sum is the drawn width.
class CFontMetricsMeasurer final : public ITextMeasurer
{
public:
    explicit CFontMetricsMeasurer(const QFont &font);

    int fontHeight() const override;
    int textWidth(QStringView text) const override;

    // The font as the display draws it: the given font without kerning, so that a line is as
    // wide as its characters' advances add up to.
    static QFont displayFont(const QFont &font);
    const QFont &font() const { return m_font; }
    int ascent() const;

private:
    qreal advance(char32_t codePoint) const;

    QFont m_font;
    QFontMetricsF m_metrics;
    mutable QHash<char32_t, qreal> m_advances;
    // The last text measured and the widths of its prefixes: m_prefixWidths[k] is the width of
    // its first k code units.
    mutable QString m_text;
    mutable std::vector<qreal> m_prefixWidths{0.0};
};
