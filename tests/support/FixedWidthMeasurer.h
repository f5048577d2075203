#pragma once

#include "timeline/ITextMeasurer.h"

// Every character is the same width, so tests can state where a line must break.
class FixedWidthMeasurer final : public ITextMeasurer
{
public:
    explicit FixedWidthMeasurer(int charWidth = 10, int height = 20)
        : m_charWidth(charWidth), m_height(height)
    {
    }
    int fontHeight() const override { return m_height; }
    int textWidth(QStringView text) const override { return static_cast<int>(text.size()) * m_charWidth; }

private:
    int m_charWidth;
    int m_height;
};
