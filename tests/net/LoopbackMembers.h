#pragma once

#include <QString>

// Loopback addresses that stand in for members of one LAN: every member on this host gets its
// own 127.0.0.x address and all share the loopback broadcast address. Nothing leaves the machine.
namespace LoopbackMembers {
inline QString memberA() { return QStringLiteral("127.0.0.2"); }
inline QString memberB() { return QStringLiteral("127.0.0.3"); }
inline QString memberC() { return QStringLiteral("127.0.0.4"); }
inline QString broadcast() { return QStringLiteral("127.255.255.255"); }
} // namespace LoopbackMembers
