#pragma once

#include "net/IAdapterSource.h"

// An adapter list the test makes up, so that a session under test never sees this machine's real
// interfaces. Use loopback addresses (127.0.0.x, broadcast 127.255.255.255) for anything bound.
class FakeAdapterSource final : public IAdapterSource
{
public:
    QList<AdapterEntry> entries;

    QList<AdapterEntry> adapters() const override { return entries; }

    // One loopback member: description "loopback member", address 127.0.0.<host>.
    static AdapterEntry loopbackMember(int host, int interfaceIndex = 1)
    {
        return {interfaceIndex, QStringLiteral("loopback member"), QStringLiteral("127.0.0.%1").arg(host),
                QStringLiteral("127.255.255.255")};
    }
};
