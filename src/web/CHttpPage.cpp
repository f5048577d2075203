#include "web/CHttpPage.h"

#include "timeline/CLineWrapper.h"
#include "timeline/ITextMeasurer.h"
#include "timeline/ReceivedMain.h"

#include <algorithm>

namespace {

// The page's rows are counted in letters, whatever their shape.
class CLetterMeasurer final : public ITextMeasurer
{
public:
    int fontHeight() const override { return 1; }
    int textWidth(QStringView text) const override { return static_cast<int>(text.size()); }
};

} // namespace

QString CHttpPage::BuildPageText(const ReceivedMain &store, int maxLines, int lettersPerLine)
{
    const CLetterMeasurer measurer;
    // Letters per row only guesses the browser's width, so Japanese keeps its plain count,
    // ceil(n / lettersPerLine), without the display's line-start rule.
    const QString noLineStart;
    const CLineWrapper wrapper(measurer, std::max(1, lettersPerLine), noLineStart);
    QString text;
    int used = 0;
    const int newest = store.count() - 1;
    const int oldest = std::max(0, newest - std::max(0, maxLines));
    for (int pos = newest; pos >= oldest; --pos) {
        const CReceivedMainData *record = store.at(pos);
        if (!record || record->nChannel != store.channel() || record->nGroup != store.group())
            break;
        // Whatever came before a screen clear is gone from the display, so the page drops it too.
        if (record->nType == 'E')
            break;
        if (record->isWithdrawn())
            continue;
        // The lines of one record go in newest first, so that the page reads in typing order
        // and a budget that runs out cuts the oldest line.
        const QStringList lines = RecordLines(record->strRaw);
        for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
            // The browser wraps at spaces, so a line of words can take more rows than its letters fill.
            const int cost = static_cast<int>(wrapper.Wrap(*line).size());
            if (used + cost > maxLines)
                return text;
            used += cost;
            if (text.isEmpty())
                text = EscapeLine(*line);
            else
                text = EscapeLine(*line) + QStringLiteral("<br>") + text;
        }
    }
    return text;
}

QStringList CHttpPage::RecordLines(const QString &text)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QStringList lines = normal.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.isEmpty())
        lines.append(QString());
    return lines;
}

QString CHttpPage::EscapeLine(const QString &line)
{
    QString escaped = line;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    escaped.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    escaped.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    return escaped;
}

QString CHttpPage::FillTemplate(const QString &pageTemplate, const CHttpPageStyle &style,
                                const QString &pageText)
{
    const QString args[] = {
        style.textColor,
        style.backgroundColor,
        QString::number(style.reloadMs),
        QString::number(style.fontSizePercent),
        QString::number(style.lineHeightPercent),
        pageText,
    };
    constexpr qsizetype kArgCount = sizeof args / sizeof args[0];

    QString out;
    out.reserve(pageTemplate.size() + pageText.size() + 32);
    qsizetype next = 0;
    const qsizetype size = pageTemplate.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = pageTemplate.at(i);
        if (c != QLatin1Char('%') || i + 1 >= size) {
            out.append(c);
            continue;
        }
        const QChar kind = pageTemplate.at(i + 1);
        if (kind == QLatin1Char('%')) {
            out.append(QLatin1Char('%'));
            ++i;
        } else if (kind == QLatin1Char('s') || kind == QLatin1Char('d')) {
            if (next < kArgCount)
                out.append(args[next++]);
            ++i;
        } else {
            out.append(c);
        }
    }
    return out;
}

bool CHttpPage::IsHexColor(const QString &color)
{
    if (color.size() != 6)
        return false;
    return std::all_of(color.cbegin(), color.cend(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
               (c >= QLatin1Char('a') && c <= QLatin1Char('f')) ||
               (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
    });
}
