#pragma once

#include <QString>

// The tools go online only where tests may: loopback and the benchmarking range 198.18.0.0/15
// that the namespace LAN uses. Anything else needs an explicit override, so a mistyped address
// can never put a test peer on a real network.
namespace TestAddress {

bool isTestAddress(const QString &address);
// A broadcast address a tool bound to ownAddress may send to: a test address, or the limited
// broadcast 255.255.255.255, which Linux sends only out of the interface holding the sender's
// address, so it stays on the test network as long as ownAddress is a test address.
bool isTestBroadcast(const QString &ownAddress, const QString &broadcast);
// The refusal text printed by a tool, naming the override option.
QString refusal(const QString &address, const QString &overrideOption);

} // namespace TestAddress
