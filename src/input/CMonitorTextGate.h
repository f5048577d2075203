#pragma once

#include <QString>

#include <optional>

// Decides which monitor texts of the input boxes go to the other members. Input methods report
// one key several times over (the composition changes, the commit, the key release), and every
// report refreshes the monitor text; the peers need each change once. A key release that changed
// nothing still goes out once, so that a lost monitor datagram is repaired by the next key.
class CMonitorTextGate final
{
public:
    enum class Cause
    {
        // The composition or the text changed, or a box gained the focus.
        Refresh,
        // A key went up.
        KeyRelease
    };

    // True when text is to be sent now; it is then remembered as the text sent.
    bool Pass(const QString &text, Cause cause);

private:
    std::optional<QString> m_lastSent;
    bool m_bSentSinceRelease = false;
};
