#pragma once

#include <QIcon>

// The turn timer's button pictures, drawn rather than loaded: start (a triangle), stop (a
// square) and reset (a circular arrow), each bright when the button does something in the
// current state and grey when it does not.
class CTurnIcons final
{
public:
    CTurnIcons() = delete;

    enum class Kind
    {
        Start,
        Stop,
        Reset
    };

    static QIcon icon(Kind kind, bool active);
};
