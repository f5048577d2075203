#pragma once

#include "config/LogFont.h"

#include <QColor>
#include <QFont>

// Conversions between the stored font and colour values and Qt's, at the edge of the GUI.
class CConfigGui final
{
public:
    CConfigGui() = delete;

    // Point size from the character height at dpiY; dpiY 0 reads a height made without a drawing
    // context (-10 × points). Weights map one to one (700 is bold).
    static QFont toQFont(const LogFont &font, int dpiY);
    // The reverse; charSet has no Qt counterpart and is passed through.
    static LogFont fromQFont(const QFont &font, int dpiY, quint8 charSet = 1);

    static QColor toQColor(quint32 colorRef);
    // Alpha is dropped.
    static quint32 fromQColor(const QColor &color);
};
