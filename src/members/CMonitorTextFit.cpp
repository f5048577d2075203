#include "members/CMonitorTextFit.h"

QString CMonitorTextFit::Fit(const QString &text, int columnWidth, const WidthFunction &width)
{
    const int avail = columnWidth - width(reserve());
    if (width(text) <= avail)
        return text;

    // The tail's width never grows as more is dropped, so the smallest k that fits is found by
    // halving [0, length]; k = length (nothing left) always fits.
    qsizetype low = 0;
    qsizetype high = text.size();
    while (low < high) {
        const qsizetype mid = low + (high - low) / 2;
        if (width(QStringView(text).mid(mid)) <= avail)
            high = mid;
        else
            low = mid + 1;
    }
    // Half a surrogate pair would show as a broken character: drop the other half too.
    if (low < text.size() && text.at(low).isLowSurrogate())
        ++low;
    return text.mid(low);
}
