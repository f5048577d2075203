#pragma once

#include <QString>
#include <QStringView>

#include <functional>

// Cuts a member's monitor text for the input column so that its end, the newest typing, stays
// visible: leading characters are dropped until the rest fits.
class CMonitorTextFit final
{
public:
    CMonitorTextFit() = delete;

    // Drawn width of a text in the list's font.
    using WidthFunction = std::function<int(QStringView)>;

    // The width kept free at the column's end so the list does not clip the last characters.
    static QString reserve() { return QStringLiteral(" ... "); }

    // The whole text when it fits into columnWidth less the reserve, else its shortest-cut tail
    // that fits (found by binary search; empty when not even one character fits). A cut never
    // splits a surrogate pair.
    static QString Fit(const QString &text, int columnWidth, const WidthFunction &width);
};
