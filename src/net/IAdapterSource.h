#pragma once

#include <QList>
#include <QString>

// One usable IPv4 address of a network adapter; an adapter with two addresses gives two entries.
struct AdapterEntry
{
    int interfaceIndex = 0;
    QString description;      // what the login dialog shows and the settings remember
    QString address;          // dotted IPv4: every endpoint binds to it
    QString broadcastAddress; // dotted IPv4 broadcast address of the address's subnet
};

// Where the session learns the adapters it may go online on. Tests hand in their own list, so
// that nothing in a test ever binds to this machine's real interfaces.
class IAdapterSource
{
public:
    virtual ~IAdapterSource() = default;
    // Running, non-loopback adapters, one entry per IPv4 address, in the system's order.
    virtual QList<AdapterEntry> adapters() const = 0;
};
