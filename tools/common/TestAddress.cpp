#include "TestAddress.h"

#include <QHostAddress>

namespace TestAddress {

bool isTestAddress(const QString &address)
{
    const QHostAddress a(address);
    return a.isInSubnet(QHostAddress(QStringLiteral("127.0.0.0")), 8) ||
           a.isInSubnet(QHostAddress(QStringLiteral("198.18.0.0")), 15);
}

bool isTestBroadcast(const QString &ownAddress, const QString &broadcast)
{
    return isTestAddress(ownAddress) &&
           (isTestAddress(broadcast) || QHostAddress(broadcast) == QHostAddress(QHostAddress::Broadcast));
}

QString refusal(const QString &address, const QString &overrideOption)
{
    return QStringLiteral(
               "ERROR %1 is not a test address (127.0.0.0/8, 198.18.0.0/15); use %2 to go online there "
               "anyway")
        .arg(address, overrideOption);
}

} // namespace TestAddress
