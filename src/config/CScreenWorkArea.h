#pragma once

#include "config/IWorkAreaSource.h"

// The primary screen's available geometry; no work area when there is no screen.
class CScreenWorkArea final : public IWorkAreaSource
{
public:
    std::optional<QRect> workArea() const override;
};
