#pragma once

#include <QRect>

#include <optional>

// The primary display's work area (desktop minus task bar), in screen pixels. The screen is a
// GUI service, so the store asks through this interface and stays free of QtGui.
class IWorkAreaSource
{
public:
    virtual ~IWorkAreaSource() = default;

    // No value when there is no screen to ask; the key table then uses its fixed fallbacks.
    virtual std::optional<QRect> workArea() const = 0;
};
