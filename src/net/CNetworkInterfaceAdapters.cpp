#include "net/CNetworkInterfaceAdapters.h"

#include <QNetworkAddressEntry>
#include <QNetworkInterface>

QList<AdapterEntry> CNetworkInterfaceAdapters::adapters() const
{
    QList<InterfaceInfo> interfaces;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    interfaces.reserve(all.size());
    for (const QNetworkInterface &interface : all)
        interfaces.append(describe(interface));
    return select(interfaces);
}

CNetworkInterfaceAdapters::InterfaceInfo
CNetworkInterfaceAdapters::describe(const QNetworkInterface &interface)
{
    InterfaceInfo info;
    info.index = interface.index();
    info.humanReadableName = interface.humanReadableName();
    const QNetworkInterface::InterfaceFlags flags = interface.flags();
    info.isRunning = flags.testFlag(QNetworkInterface::IsUp) && flags.testFlag(QNetworkInterface::IsRunning);
    info.isLoopback =
        flags.testFlag(QNetworkInterface::IsLoopBack) || interface.type() == QNetworkInterface::Loopback;
    for (const QNetworkAddressEntry &entry : interface.addressEntries())
        info.addresses.append({entry.ip(), entry.netmask(), entry.broadcast()});
    return info;
}

QList<AdapterEntry> CNetworkInterfaceAdapters::select(const QList<InterfaceInfo> &interfaces)
{
    QList<AdapterEntry> out;
    for (const InterfaceInfo &interface : interfaces) {
        if (!interface.isRunning || interface.isLoopback)
            continue;
        for (const InterfaceInfo::Address &address : interface.addresses) {
            if (address.ip.protocol() != QAbstractSocket::IPv4Protocol)
                continue;
            // A loopback address on another interface would still keep the members on this host.
            if (address.ip.isLoopback())
                continue;
            AdapterEntry entry;
            entry.interfaceIndex = interface.index;
            entry.description = interface.humanReadableName;
            entry.address = address.ip.toString();
            entry.broadcastAddress = address.broadcast.protocol() == QAbstractSocket::IPv4Protocol
                                         ? address.broadcast.toString()
                                         : broadcastOf(address.ip, address.netmask);
            out.append(entry);
        }
    }
    return out;
}

QString CNetworkInterfaceAdapters::broadcastOf(const QHostAddress &address, const QHostAddress &netmask)
{
    const quint32 mask =
        netmask.protocol() == QAbstractSocket::IPv4Protocol ? netmask.toIPv4Address() : 0xFFFFFFFFu;
    return QHostAddress(address.toIPv4Address() | ~mask).toString();
}
