#pragma once

#include "net/IAdapterSource.h"

#include <QHostAddress>
#include <QList>
#include <QString>

class QNetworkInterface;

// The adapters of this machine, read from QNetworkInterface. Reading the list is harmless; only
// binding to an entry goes online.
class CNetworkInterfaceAdapters final : public IAdapterSource
{
public:
    // What the selection needs to know of one interface, so the rules can be tried on made-up ones.
    struct InterfaceInfo
    {
        struct Address
        {
            QHostAddress ip;
            QHostAddress netmask;
            QHostAddress broadcast; // null when the system gives none
        };
        int index = 0;
        QString humanReadableName;
        bool isRunning = false;
        bool isLoopback = false;
        QList<Address> addresses;
    };

    QList<AdapterEntry> adapters() const override;

    // Keeps running, non-loopback interfaces; one entry per IPv4 address, with its broadcast
    // address, or address OR NOT mask when the system gives none.
    static QList<AdapterEntry> select(const QList<InterfaceInfo> &interfaces);
    static InterfaceInfo describe(const QNetworkInterface &interface);
    // address OR (NOT mask), dotted.
    static QString broadcastOf(const QHostAddress &address, const QHostAddress &netmask);
};
