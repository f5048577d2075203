#pragma once

#include <QtGlobal>

// The colour value the colour keys hold: 0xBBGGRR, red in the low byte.
class CColorRef final
{
public:
    CColorRef() = delete;

    static constexpr int red(quint32 color) { return static_cast<int>(color & 0xFFu); }
    static constexpr int green(quint32 color) { return static_cast<int>((color >> 8) & 0xFFu); }
    static constexpr int blue(quint32 color) { return static_cast<int>((color >> 16) & 0xFFu); }
    // Each component is taken modulo 256.
    static constexpr quint32 fromRgb(int r, int g, int b)
    {
        return (static_cast<quint32>(r) & 0xFFu) | ((static_cast<quint32>(g) & 0xFFu) << 8) |
               ((static_cast<quint32>(b) & 0xFFu) << 16);
    }
};
