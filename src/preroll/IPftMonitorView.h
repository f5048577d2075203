#pragma once

// The pre-roll monitor window: told when the shown member's text changed and must be redrawn.
class IPftMonitorView
{
public:
    virtual ~IPftMonitorView() = default;
    virtual void pftMonitorChanged() = 0;
};
