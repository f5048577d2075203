#pragma once

#include <QString>

// The tools go online only where tests may: loopback and the benchmarking range 198.18.0.0/15
// that the namespace LAN uses. Anything else needs an explicit override, so a mistyped address
// can never put a test peer on a real network.
namespace TestAddress {

bool isTestAddress(const QString &address);
// The refusal text printed by a tool, naming the override option.
QString refusal(const QString &address, const QString &overrideOption);

} // namespace TestAddress
