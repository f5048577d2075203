#pragma once

#include "net/IAdapterSource.h"

// An adapter list the test makes up, so that a session under test never sees this machine's real
// interfaces. Use loopback addresses (127.0.x.y, broadcast 127.255.255.255) for anything bound.
class FakeAdapterSource final : public IAdapterSource
{
public:
    QList<AdapterEntry> entries;

    QList<AdapterEntry> adapters() const override { return entries; }
};
