#pragma once

#include "net/CFailureLogLimit.h"

#include <QHash>
#include <QString>

// The failure log limit kept per sender, for lines that any datagram from outside can cause: the
// first 11 from one address are logged, then the 20th, 40th … For as many senders as a LAN
// segment holds; past that, the newcomers share one limit, so forged addresses grow neither the
// table nor the log.
class CAddressLogLimit final
{
public:
    static constexpr qsizetype kMaxSenders = 256;

    // Counts one line for the sender; true when it is to be logged.
    bool count(const QString &address)
    {
        auto it = m_senders.find(address);
        if (it == m_senders.end()) {
            if (m_senders.size() >= kMaxSenders)
                return m_others.count();
            it = m_senders.insert(address, CFailureLogLimit());
        }
        return it->count();
    }

private:
    QHash<QString, CFailureLogLimit> m_senders;
    CFailureLogLimit m_others;
};
