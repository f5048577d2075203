#include "preroll/CPftLayout.h"

#include <QtMath>

#include <algorithm>

std::array<CPftLayout::Column, CPftLayout::kPaneCount> CPftLayout::ShowAll(int clientLeft, int clientWidth,
                                                                           int gap, int ratio, int current)
{
    std::array<int, kPaneCount> weights{};
    int total = 0;
    for (int k = 0; k < kPaneCount; ++k) {
        weights[k] = k == current ? EffectiveRatio(ratio) : kBaseWeight;
        total += weights[k];
    }
    // A window too narrow for the gaps still gives every pane a pixel per weight.
    const double unit =
        std::max(1.0, static_cast<double>(clientWidth - kPaneCount * gap - clientLeft) / total);
    std::array<Column, kPaneCount> columns{};
    int before = 0;
    for (int k = 0; k < kPaneCount; ++k) {
        columns[k].x = qRound(gap * (k + 1) + unit * before);
        columns[k].width = qRound(unit * weights[k]);
        before += weights[k];
    }
    return columns;
}

CPftLayout::Column CPftLayout::NameBar(const Column &edit, int gap)
{
    return {edit.x - gap + 2, std::max(edit.width + gap - 2, 0)};
}
