#include "FakeAdapterSource.h"

#include "net/CNetworkInterfaceAdapters.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QtTest>

using Info = CNetworkInterfaceAdapters::InterfaceInfo;

Q_DECLARE_METATYPE(Info)

namespace {

Info::Address ipv4(const char *ip, const char *mask, const char *bcast = nullptr)
{
    return {QHostAddress(QLatin1String(ip)), QHostAddress(QLatin1String(mask)),
            bcast ? QHostAddress(QLatin1String(bcast)) : QHostAddress()};
}

Info interface(int index, const char *name, bool running, bool loopback, QList<Info::Address> addresses)
{
    Info info;
    info.index = index;
    info.humanReadableName = QLatin1String(name);
    info.isRunning = running;
    info.isLoopback = loopback;
    info.addresses = addresses;
    return info;
}

// "index|description|address|broadcast" per entry, for readable failures.
QStringList flatten(const QList<AdapterEntry> &entries)
{
    QStringList out;
    for (const AdapterEntry &e : entries)
        out << QStringLiteral("%1|%2|%3|%4").arg(e.interfaceIndex).arg(e.description, e.address, e.broadcastAddress);
    return out;
}

} // namespace

class TestAdapters final : public QObject
{
    Q_OBJECT

private slots:
    void select_data();
    void select();
    void realAdaptersNeverIncludeLoopback();
    void fakeSourceStandsInForTheSystem();
};

void TestAdapters::select_data()
{
    QTest::addColumn<QList<Info>>("interfaces");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("one adapter, broadcast given")
        << QList<Info>{interface(2, "eth0", true, false, {ipv4("198.18.0.5", "255.255.255.0", "198.18.0.255")})}
        << QStringList{QStringLiteral("2|eth0|198.18.0.5|198.18.0.255")};
    QTest::newRow("broadcast computed from the mask")
        << QList<Info>{interface(3, "wlan0", true, false, {ipv4("198.18.1.130", "255.255.255.192")})}
        << QStringList{QStringLiteral("3|wlan0|198.18.1.130|198.18.1.191")};
    QTest::newRow("two addresses, two entries")
        << QList<Info>{interface(2, "eth0", true, false,
                                 {ipv4("198.18.0.5", "255.255.255.0"), ipv4("198.19.7.1", "255.255.0.0")})}
        << QStringList{QStringLiteral("2|eth0|198.18.0.5|198.18.0.255"), QStringLiteral("2|eth0|198.19.7.1|198.19.255.255")};
    QTest::newRow("loopback interface left out")
        << QList<Info>{interface(1, "lo", true, true, {ipv4("127.0.0.1", "255.0.0.0")}),
                       interface(2, "eth0", true, false, {ipv4("198.18.0.5", "255.255.255.0")})}
        << QStringList{QStringLiteral("2|eth0|198.18.0.5|198.18.0.255")};
    QTest::newRow("disconnected interface left out")
        << QList<Info>{interface(4, "eth1", false, false, {ipv4("198.18.2.5", "255.255.255.0")})} << QStringList{};
    QTest::newRow("IPv6 addresses left out")
        << QList<Info>{interface(2, "eth0", true, false,
                                 {{QHostAddress(QStringLiteral("fe80::1")), QHostAddress(), QHostAddress()},
                                  ipv4("198.18.0.5", "255.255.255.0")})}
        << QStringList{QStringLiteral("2|eth0|198.18.0.5|198.18.0.255")};
    QTest::newRow("no interfaces") << QList<Info>{} << QStringList{};
}

void TestAdapters::select()
{
    QFETCH(QList<Info>, interfaces);
    QFETCH(QStringList, expected);
    QCOMPARE(flatten(CNetworkInterfaceAdapters::select(interfaces)), expected);
}

void TestAdapters::realAdaptersNeverIncludeLoopback()
{
    // Only reads the list; nothing here binds to or sends through an adapter.
    const CNetworkInterfaceAdapters source;
    const QList<AdapterEntry> entries = source.adapters();
    for (const AdapterEntry &entry : entries) {
        const QHostAddress address(entry.address);
        QCOMPARE(address.protocol(), QAbstractSocket::IPv4Protocol);
        QVERIFY2(!address.isLoopback(), qPrintable(entry.address));
        const QNetworkInterface interface = QNetworkInterface::interfaceFromIndex(entry.interfaceIndex);
        QVERIFY(!interface.flags().testFlag(QNetworkInterface::IsLoopBack));
        QVERIFY(interface.flags().testFlag(QNetworkInterface::IsRunning));
        QVERIFY(!entry.description.isEmpty());
        QVERIFY(!QHostAddress(entry.broadcastAddress).isNull());
    }
}

void TestAdapters::fakeSourceStandsInForTheSystem()
{
    FakeAdapterSource fake;
    fake.entries = {FakeAdapterSource::loopbackMember(2), FakeAdapterSource::loopbackMember(3, 5)};
    const IAdapterSource &source = fake;
    QCOMPARE(flatten(source.adapters()),
             (QStringList{QStringLiteral("1|loopback member|127.0.0.2|127.255.255.255"),
                          QStringLiteral("5|loopback member|127.0.0.3|127.255.255.255")}));
}

QTEST_GUILESS_MAIN(TestAdapters)
#include "test_adapters.moc"
