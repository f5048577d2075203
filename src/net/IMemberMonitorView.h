#pragma once

// The member monitor window. Rows follow the member list by themselves (IMemberView); this asks
// for the whole monitor to be brought up to date after a batch of changes.
class IMemberMonitorView
{
public:
    virtual ~IMemberMonitorView() = default;
    virtual void refreshMemberMonitor() = 0;
};
