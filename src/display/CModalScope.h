#pragma once

// Counts the modal loops the program runs from its own handlers. The end of the run waits until
// every one of them has returned: a dialog still inside exec() must not lose the window that owns
// it. Put one on the stack around any handler that may open a modal dialog.
class CModalScope final
{
public:
    CModalScope() { ++s_depth; }
    ~CModalScope() { --s_depth; }
    CModalScope(const CModalScope &) = delete;
    CModalScope &operator=(const CModalScope &) = delete;

    static int depth() { return s_depth; }

private:
    static inline int s_depth = 0;
};
