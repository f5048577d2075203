#include "contact/ReceivedChat.h"

#include "FakeClock.h"

#include <QTest>

namespace {

constexpr quint32 kTick = 50000;

// A contact message as the receive side builds it: typed and sent directly by address.
CReceivedMainData message(const QString &text, const QString &address, qint32 sent, qint32 received,
                          quint32 tick = kTick)
{
    CReceivedMainData r;
    r.strRaw = text;
    r.nStrLength = static_cast<qint32>(text.size());
    r.strIpAddress = r.strIpAddressSender = address;
    r.nTimeSent = r.nTimeSenderSent = r.nTimeSenderReceived = sent;
    r.nTimeActualReceived = r.nTimeReceived = received;
    r.nTimeActualReceivedTick = tick;
    r.nType = 'C';
    return r;
}

QStringList texts(const ReceivedChat &store)
{
    QStringList out;
    for (int i = 0; i < store.count(); ++i)
        out << store.at(i)->strRaw;
    return out;
}

// Messages m0 ... m(n-1) from three typists, received at 2000, 3000, ... (one a second).
void fill(ReceivedChat &store, int n)
{
    for (int i = 0; i < n; ++i) {
        const qint32 time = 2000 + i * 1000;
        CReceivedMainData r = message(u"m%1"_qs.arg(i), u"10.0.0.%1"_qs.arg(i % 3 + 1), time, time);
        QCOMPARE(store.AppendString(r), i);
    }
}

} // namespace

class ReceivedChatTest final : public QObject
{
    Q_OBJECT

    // The stores take their base tick from it: everything in the tests is received after it.
    FakeClock m_clock{0, kTick - 1000};

    // The stores adjust the record they are given; these hand in a copy.
    static int insert(ReceivedChat &store, CReceivedMainData r) { return store.InsertString(r); }
    static int append(ReceivedChat &store, CReceivedMainData r) { return store.AppendString(r); }

private slots:
    void init() { m_clock.setTick(kTick - 1000); }

    void appendCountsAndVersions()
    {
        ReceivedChat store;
        QCOMPARE(store.capacity(), ReceivedChat::kDefaultCapacity);
        QCOMPARE(store.historyVersion(), qint64(0));
        fill(store, 2);
        QCOMPARE(store.counter(), 2);
        QCOMPARE(store.historyVersion(), qint64(200));
        QCOMPARE(store.at(1)->strCache, u"0a0000020000300000003000C00002m1"_qs);
        QCOMPARE(append(store, message(u"m1"_qs, u"10.0.0.2"_qs, 3000, 3500)), -1);
        QCOMPARE(append(store, message(u"m0"_qs, u"10.0.0.1"_qs, 2000, 3500)), -1);
        QCOMPARE(store.historyVersion(), qint64(200));
        QCOMPARE(store.count(), 2);
    }

    void insertString_data()
    {
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("address");
        QTest::addColumn<qint32>("sent");
        QTest::addColumn<qint32>("received");
        QTest::addColumn<bool>("forwarded");
        QTest::addColumn<int>("position"); // -1: refused
        // Stored: m0 ... m(n-1) received at 2000 + i * 1000 from 10.0.0.(i % 3 + 1).
        QTest::newRow("empty store") << 0 << "10.0.0.9" << 100 << 500 << false << 0;
        QTest::newRow("newest") << 3 << "10.0.0.9" << 100 << 9000 << false << 3;
        QTest::newRow("between") << 3 << "10.0.0.9" << 100 << 2500 << false << 1;
        QTest::newRow("all newer") << 3 << "10.0.0.9" << 100 << 1000 << false << 0;
        QTest::newRow("all ten examined newer") << 15 << "10.0.0.9" << 100 << 1000 << false << 5;
        // A message received in the same millisecond as a stored one goes after it.
        QTest::newRow("equal to the oldest") << 3 << "10.0.0.9" << 100 << 2000 << false << 1;
        QTest::newRow("equal to the newest") << 3 << "10.0.0.9" << 100 << 4000 << false << 3;
        QTest::newRow("equal to the middle") << 3 << "10.0.0.9" << 100 << 3000 << false << 2;
        QTest::newRow("duplicate of newest") << 3 << "10.0.0.3" << 4000 << 9000 << false << -1;
        QTest::newRow("duplicate of oldest") << 3 << "10.0.0.1" << 2000 << 9000 << false << -1;
        QTest::newRow("duplicate tenth newest") << 12 << "10.0.0.3" << 4000 << 20000 << false << -1;
        QTest::newRow("eleventh newest not searched") << 12 << "10.0.0.2" << 3000 << 1000 << false << 2;
        QTest::newRow("forwarded") << 2 << "10.0.0.7" << 100 << 9000 << true << -1;
        QTest::newRow("forwarded, empty store") << 0 << "10.0.0.7" << 100 << 9000 << true << -1;
    }

    void insertString()
    {
        QFETCH(int, stored);
        QFETCH(QString, address);
        QFETCH(qint32, sent);
        QFETCH(qint32, received);
        QFETCH(bool, forwarded);
        QFETCH(int, position);
        ReceivedChat store;
        fill(store, stored);
        CReceivedMainData r = message(u"new"_qs, address, sent, received);
        if (forwarded)
            r.strIpAddressSender = u"10.0.0.8"_qs;
        QCOMPARE(store.InsertString(r), position < 0 ? -1 : stored);
        QCOMPARE(store.count(), stored + (position < 0 ? 0 : 1));
        QCOMPARE(store.counter(), store.count());
        QCOMPARE(store.historyVersion(), qint64(store.counter()) * 100);
        QCOMPARE(texts(store).indexOf(u"new"_qs), position);
        if (position >= 0)
            QVERIFY(!store.at(position)->strCache.isEmpty());
    }

    void forwardingDelayIsTakenOff()
    {
        ReceivedChat store;
        fill(store, 3);
        // Held 1.5 s by the member that passed it on: it was received at 3500, before m2.
        CReceivedMainData r = message(u"held"_qs, u"10.0.0.9"_qs, 100, 5000);
        r.nTimeSenderReceived = 10000;
        r.nTimeSenderSent = 11500;
        QCOMPARE(store.InsertString(r), 3);
        QCOMPARE(r.nTimeReceived, 3500);
        QCOMPARE(texts(store), QStringList({u"m0"_qs, u"m1"_qs, u"held"_qs, u"m2"_qs}));
    }

    void baseTickEndsTheSearch()
    {
        ReceivedChat store;
        fill(store, 3);
        m_clock.setTick(kTick + 1000);
        store.SetChannelGroup(3, 2);
        QCOMPARE(store.channel(), 3);
        QCOMPARE(store.group(), 2);
        QCOMPARE(store.baseTick(), kTick + 1000);
        // Received before the switch, and no place was found before the look-back stopped.
        QCOMPARE(insert(store, message(u"before"_qs, u"10.0.0.9"_qs, 100, 9000)), -1);
        QCOMPARE(insert(store, message(u"m2"_qs, u"10.0.0.3"_qs, 4000, 9000)), -1);
        // Received at the switch itself: searched as usual.
        QCOMPARE(insert(store, message(u"after"_qs, u"10.0.0.9"_qs, 100, 9000, kTick + 1000)), 3);
        QCOMPARE(store.count(), 4);
    }

    void appendLooksBackTenRecords()
    {
        ReceivedChat store;
        fill(store, 12);
        QCOMPARE(append(store, message(u"m2"_qs, u"10.0.0.3"_qs, 4000, 14000)), -1); // the tenth newest
        QCOMPARE(append(store, message(u"m1"_qs, u"10.0.0.2"_qs, 3000, 14000)), 12); // the eleventh
    }

    // A record received more than five minutes before a message ends the search for its repeat.
    void lookBackEndsAtFiveMinutes()
    {
        ReceivedChat store;
        for (const auto &[name, address, time] :
             {std::tuple(u"x"_qs, u"10.0.0.1"_qs, 1000), std::tuple(u"y"_qs, u"10.0.0.2"_qs, 2000),
              std::tuple(u"z"_qs, u"10.0.0.3"_qs, 305000)})
            append(store, message(name, address, time, time));
        // Repeats of x: received exactly five minutes after y they are found, a millisecond later not.
        QCOMPARE(insert(store, message(u"x"_qs, u"10.0.0.1"_qs, 1000, 302000)), -1);
        QCOMPARE(insert(store, message(u"x"_qs, u"10.0.0.1"_qs, 1000, 302001)), 3);
        QCOMPARE(texts(store), QStringList({u"x"_qs, u"y"_qs, u"x"_qs, u"z"_qs}));
        // The same for own messages and history lines, which are appended: here z is the record.
        QCOMPARE(append(store, message(u"x"_qs, u"10.0.0.1"_qs, 1000, 605000)), -1);
        QCOMPARE(append(store, message(u"x"_qs, u"10.0.0.1"_qs, 1000, 605001)), 4);
    }

    void boundedByCapacity()
    {
        ReceivedChat store(3);
        fill(store, 5);
        QCOMPARE(texts(store), QStringList({u"m2"_qs, u"m3"_qs, u"m4"_qs}));
        QCOMPARE(store.counter(), 5);
        QCOMPARE(insert(store, message(u"mid"_qs, u"10.0.0.9"_qs, 100, 5500)), 5);
        QCOMPARE(texts(store), QStringList({u"m3"_qs, u"mid"_qs, u"m4"_qs}));
        CReceivedMainData copy;
        QVERIFY(store.GetAt(1, copy));
        QCOMPARE(copy.strRaw, u"mid"_qs);
        QVERIFY(!store.GetAt(3, copy));
        QVERIFY(!store.GetAt(-1, copy));
    }

    void historyLines()
    {
        ReceivedChat store;
        QStringList out;
        store.newestWireLines(5, out);
        QVERIFY(out.isEmpty());
        fill(store, 7);
        out << u"kept"_qs;
        store.newestWireLines(5, out);
        QCOMPARE(out.size(), 6);
        QCOMPARE(out.at(0), u"kept"_qs);
        for (int i = 0; i < 5; ++i)
            QCOMPARE(out.at(i + 1), store.at(6 - i)->strCache);
        out.clear();
        store.newestWireLines(0, out);
        QVERIFY(out.isEmpty());
    }
};

QTEST_APPLESS_MAIN(ReceivedChatTest)
#include "ReceivedChatTest.moc"
