#include "FixedWidthMeasurer.h"

int FixedWidthMeasurer::textWidth(QStringView text) const
{
    return static_cast<int>(text.size()) * m_charWidth;
}
