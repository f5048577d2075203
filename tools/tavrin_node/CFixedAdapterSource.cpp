#include "CFixedAdapterSource.h"

CFixedAdapterSource::CFixedAdapterSource(const QString &address, const QString &broadcastAddress)
{
    m_entry.interfaceIndex = 1;
    m_entry.description = QStringLiteral("tavrin_node ") + address;
    m_entry.address = address;
    m_entry.broadcastAddress = broadcastAddress;
}
