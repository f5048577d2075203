#pragma once

// Ends the dialogs the program runs in loops of their own, for a close that cannot wait for the
// user (an end signal, the exit command from a dialog's owner).
class CModalCancel final
{
public:
    CModalCancel() = delete;

    // True while a modal loop of the program runs; the dialog on top is then cancelled, and the
    // caller comes back once its exec() has returned.
    static bool CancelRunning();
};
