#include "input/CMonitorTextGate.h"

bool CMonitorTextGate::Pass(const QString &text, Cause cause)
{
    const bool changed = !m_lastSent || *m_lastSent != text;
    bool pass = changed;
    if (cause == Cause::KeyRelease) {
        // The key's own change went out already, or the key changed nothing and its release
        // is the one resend it gets.
        pass = changed || !m_bSentSinceRelease;
        m_bSentSinceRelease = false;
    } else if (pass) {
        m_bSentSinceRelease = true;
    }
    if (pass)
        m_lastSent = text;
    return pass;
}
