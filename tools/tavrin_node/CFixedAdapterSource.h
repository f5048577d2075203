#pragma once

#include "net/IAdapterSource.h"

// Exactly one adapter, named on the command line: the node never looks at the machine's real
// interfaces, so it can only go online where the caller put it (a test namespace).
class CFixedAdapterSource final : public IAdapterSource
{
public:
    CFixedAdapterSource(const QString &address, const QString &broadcastAddress);
    QList<AdapterEntry> adapters() const override { return {m_entry}; }

private:
    AdapterEntry m_entry;
};
