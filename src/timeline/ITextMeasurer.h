#pragma once

#include <QStringView>

// The font as line layout sees it: its height and the width of a run of text. The display hands
// in its real font's metrics; tests use a fixed-width measurer.
class ITextMeasurer
{
public:
    virtual ~ITextMeasurer() = default;
    virtual int fontHeight() const = 0;
    virtual int textWidth(QStringView text) const = 0;
};
