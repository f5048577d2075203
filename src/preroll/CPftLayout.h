#pragma once

#include <array>

// The arithmetic of the pre-roll window's show-all layout: three panes side by side, the
// current one wider by the pane ratio, each with the marker gap on its left.
class CPftLayout final
{
public:
    CPftLayout() = delete;

    static constexpr int kPaneCount = 3;
    // Tenths: every other pane weighs as much as 1.0.
    static constexpr int kBaseWeight = 10;

    struct Column
    {
        int x = 0;
        int width = 0;
        friend bool operator==(const Column &, const Column &) = default;
    };

    // The ratio in tenths as the layout uses it: values below 10 count as 10.
    static int EffectiveRatio(int ratio) { return ratio < kBaseWeight ? kBaseWeight : ratio; }

    // The edit of each pane (0-2) when all three are shown in a client area of clientWidth
    // starting at clientLeft, gap being the marker strip's width left of each edit.
    static std::array<Column, kPaneCount> ShowAll(int clientLeft, int clientWidth, int gap, int ratio,
                                                  int current);
    // A pane's name bar above its edit: from 2 pixels right of the gap's left edge to the edit's
    // right edge.
    static Column NameBar(const Column &edit, int gap);
};
