#include "members/CMemberList.h"
#include "members/IMemberView.h"

#include <QTest>

namespace {

constexpr qint64 kStart = 1700000000;
constexpr qint32 kDay = 86400000;

CMemberEntry entry(const QString &address, const QString &name, int kind)
{
    CMemberEntry e;
    e.strAddress = address;
    e.strName = name;
    e.nKind = kind;
    return e;
}

// Records what the list tells its window, one line per call.
class RecordingView final : public IMemberView
{
public:
    QStringList calls;
    void memberAdded(const CMemberEntry &e) override
    {
        calls << QStringLiteral("added %1 %2 %3").arg(e.strAddress, e.strName).arg(e.nRow);
    }
    void memberNameChanged(const CMemberEntry &e) override
    {
        calls << QStringLiteral("name %1 %2 %3").arg(e.strAddress, e.strName).arg(e.nRow);
    }
    void memberInputChanged(const CMemberEntry &e) override
    {
        calls << QStringLiteral("input %1 %2").arg(e.strAddress, e.strInput);
    }
    void memberRemoved(const QString &address) override { calls << QStringLiteral("removed ") + address; }
    void allMembersRemoved() override { calls << QStringLiteral("all removed"); }
    void membersReordered() override { calls << QStringLiteral("reordered"); }
};

QStringList namesInRowOrder(const CMemberList &list)
{
    QStringList names;
    for (const CMemberEntry &e : list.membersInRowOrder())
        names << QStringLiteral("%1:%2").arg(e.nRow).arg(e.strName);
    return names;
}

} // namespace

class CMemberListTest final : public QObject
{
    Q_OBJECT

private:
    qint64 m_now = kStart;
    CMemberList::SecondsClock clock()
    {
        return [this] { return m_now; };
    }

private slots:
    void init() { m_now = kStart; }

    void updateMember_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<int>("storedKind");

        // The list already holds 10.0.0.2 "bob" kind 1 at row 1.
        QTest::newRow("same name and kind") << "bob" << 1 << 0 << "bob" << 1;
        QTest::newRow("kind changed") << "bob" << 0 << 1 << "bob" << 0;
        QTest::newRow("name changed") << "robert" << 1 << 1 << "robert" << 1;
        QTest::newRow("empty name keeps the name") << "" << 1 << 0 << "bob" << 1;
        QTest::newRow("empty name, kind changed") << "" << 0 << 1 << "bob" << 0;
    }
    void updateMember()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(int, result);
        QFETCH(QString, storedName);
        QFETCH(int, storedKind);

        CMemberList list(clock());
        QCOMPARE(list.updateMember(entry(QStringLiteral("10.0.0.1"), QStringLiteral("amy"), 1)), 1);
        QCOMPARE(list.updateMember(entry(QStringLiteral("10.0.0.2"), QStringLiteral("bob"), 1)), 1);
        m_now += 30;
        QCOMPARE(list.updateMember(entry(QStringLiteral("10.0.0.2"), name, kind)), result);

        const CMemberEntry *stored = list.find(QStringLiteral("10.0.0.2"));
        QVERIFY(stored);
        QCOMPARE(stored->strName, storedName);
        QCOMPARE(stored->nKind, storedKind);
        QCOMPARE(stored->nRow, 1);
        QCOMPARE(stored->nLastHeard, kStart + 30);
        QCOMPARE(list.count(), 2);
    }

    void newMemberTakesNextRowAndAddressAsName()
    {
        RecordingView view;
        CMemberList list(clock(), &view);
        QCOMPARE(list.updateMember(entry(QStringLiteral("10.0.0.1"), QStringLiteral("amy"), 1)), 1);
        QCOMPARE(list.updateMember(entry(QStringLiteral("10.0.0.9"), QString(), 0)), 1);
        const CMemberEntry *second = list.find(QStringLiteral("10.0.0.9"));
        QVERIFY(second);
        QCOMPARE(second->strName, QStringLiteral("10.0.0.9"));
        QCOMPARE(second->nRow, 1);
        QCOMPARE(second->nLastHeard, kStart);
        QCOMPARE(view.calls, QStringList({QStringLiteral("added 10.0.0.1 amy 0"),
                                          QStringLiteral("added 10.0.0.9 10.0.0.9 1")}));
    }

    void renameKeepsRowAndMonitorOrder()
    {
        RecordingView view;
        CMemberList list(clock(), &view);
        list.updateMember(entry(QStringLiteral("10.0.0.1"), QStringLiteral("amy"), 1));
        CMemberEntry first = entry(QStringLiteral("10.0.0.2"), QStringLiteral("bob"), 1);
        first.nFirstSeen = kStart - 100;
        list.updateMember(first);
        QVERIFY(list.acceptMonitorText(QStringLiteral("10.0.0.2"), QStringLiteral("x"), 5000, 6000));

        QCOMPARE(list.updateMember(entry(QStringLiteral("10.0.0.2"), QStringLiteral("robert"), 1)), 1);
        QCOMPARE(view.calls.last(), QStringLiteral("name 10.0.0.2 robert 1"));
        const CMemberEntry *stored = list.find(QStringLiteral("10.0.0.2"));
        QCOMPARE(stored->nFirstSeen, kStart - 100);
        // A monitor datagram overtaken before the rename is still recognised afterwards.
        QVERIFY(!list.acceptMonitorText(QStringLiteral("10.0.0.2"), QStringLiteral("old"), 4000, 6500));
    }

    void lookupAndTouch()
    {
        CMemberList list(clock());
        list.updateMember(entry(QStringLiteral("10.0.0.1"), QStringLiteral("amy"), 0));
        list.updateMember(entry(QStringLiteral("10.0.0.2"), QStringLiteral("bob"), 1));
        QCOMPARE(list.lookupMember(QStringLiteral("10.0.0.1")), 0);
        QCOMPARE(list.lookupMember(QStringLiteral("10.0.0.2")), 1);
        QCOMPARE(list.lookupMember(QStringLiteral("10.0.0.3")), 2);

        m_now += 12;
        QVERIFY(list.touchMember(QStringLiteral("10.0.0.2")));
        QVERIFY(!list.touchMember(QStringLiteral("10.0.0.3")));
        QCOMPARE(list.find(QStringLiteral("10.0.0.2"))->nLastHeard, kStart + 12);
        QCOMPARE(list.find(QStringLiteral("10.0.0.1"))->nLastHeard, kStart);
    }

    void connectionCell_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint64>("silence");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("lost");

        QTest::newRow("9 s") << 1 << qint64(9) << "OK" << false;
        QTest::newRow("10 s") << 1 << qint64(10) << "10" << true;
        QTest::newRow("14 s") << 1 << qint64(14) << "10" << true;
        QTest::newRow("15 s") << 1 << qint64(15) << "15" << true;
        QTest::newRow("999 s") << 1 << qint64(999) << "995" << true;
        QTest::newRow("2000 s") << 1 << qint64(2000) << "995" << true;
        QTest::newRow("future") << 1 << qint64(-50) << "OK" << false;
        QTest::newRow("unwatched, silent") << 0 << qint64(2000) << " " << false;
        QTest::newRow("unwatched, fresh") << 0 << qint64(0) << " " << false;
    }
    void connectionCell()
    {
        QFETCH(int, kind);
        QFETCH(qint64, silence);
        QFETCH(QString, text);
        QFETCH(bool, lost);

        CMemberList list(clock());
        list.updateMember(entry(QStringLiteral("10.0.0.1"), QStringLiteral("amy"), kind));
        m_now += silence;
        const CMemberList::ConnectionCell cell = list.connectionCell(QStringLiteral("10.0.0.1"));
        QCOMPARE(cell.text, text);
        QCOMPARE(cell.lost, lost);
        QCOMPARE(list.anyLost(), lost);
    }

    void lostClearsWhenLostMemberLeaves()
    {
        CMemberList list(clock());
        list.updateMember(entry(QStringLiteral("10.0.0.1"), QStringLiteral("amy"), 1));
        m_now += 20;
        list.updateMember(entry(QStringLiteral("10.0.0.2"), QStringLiteral("bob"), 1));
        QVERIFY(list.anyLost());
        list.removeMember(QStringLiteral("10.0.0.1"));
        QVERIFY(!list.anyLost());
        list.removeAllMembers();
        QVERIFY(!list.anyLost());
        QCOMPARE(list.connectionCell(QStringLiteral("10.0.0.2")).text, QString());
    }

    void monitorOrder_data()
    {
        QTest::addColumn<qint32>("firstSent");
        QTest::addColumn<qint32>("firstReceived");
        QTest::addColumn<qint32>("sent");
        QTest::addColumn<qint32>("received");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("newer") << 1000000 << 1000050 << 1000500 << 1000550 << true;
        QTest::newRow("arrives 1 s later, sent 1 s earlier")
            << 1000000 << 1000050 << 999000 << 1001050 << false;
        QTest::newRow("received earlier") << 1000000 << 1000050 << 1000500 << 1000049 << false;
        QTest::newRow("sent earlier, arrives 2 s later") << 1000000 << 1000050 << 999000 << 1002050 << true;
        QTest::newRow("sent 2 s earlier") << 1000000 << 1000050 << 998000 << 1000550 << true;
        QTest::newRow("same times") << 1000000 << 1000050 << 1000000 << 1000050 << true;
        QTest::newRow("across midnight") << kDay - 500 << kDay - 400 << 300 << 400 << true;
        QTest::newRow("overtaken across midnight") << 300 << 400 << kDay - 500 << 900 << false;
        QTest::newRow("received before midnight") << 300 << 400 << 500 << kDay - 400 << false;
    }
    void monitorOrder()
    {
        QFETCH(qint32, firstSent);
        QFETCH(qint32, firstReceived);
        QFETCH(qint32, sent);
        QFETCH(qint32, received);
        QFETCH(bool, accepted);

        RecordingView view;
        CMemberList list(clock(), &view);
        const QString address = QStringLiteral("10.0.0.1");
        QVERIFY(!list.acceptMonitorText(address, QStringLiteral("stranger"), firstSent, firstReceived));
        list.updateMember(entry(address, QStringLiteral("amy"), 1));
        QVERIFY(list.acceptMonitorText(address, QStringLiteral("first"), firstSent, firstReceived));
        QCOMPARE(list.acceptMonitorText(address, QStringLiteral("second"), sent, received), accepted);
        QCOMPARE(list.find(address)->strInput, accepted ? QStringLiteral("second") : QStringLiteral("first"));
        QCOMPARE(view.calls.last(),
                 accepted ? QStringLiteral("input 10.0.0.1 second") : QStringLiteral("input 10.0.0.1 first"));
    }

    void sharedMonitorTextIsStoredUnconditionally()
    {
        CMemberList list(clock());
        const QString address = QStringLiteral("10.0.0.1");
        QVERIFY(!list.setMonitorText(address, QStringLiteral("x"), 1, 1));
        list.updateMember(entry(address, QStringLiteral("amy"), 0));
        QVERIFY(list.setMonitorText(address, QStringLiteral("late"), 5000, 5000));
        QVERIFY(list.setMonitorText(address, QStringLiteral("earlier"), 4000, 4000));
        QCOMPARE(list.find(address)->strInput, QStringLiteral("earlier"));
    }

    void moves_data()
    {
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("moved");
        QTest::addColumn<QStringList>("order");

        const QStringList unchanged{QStringLiteral("0:a"), QStringLiteral("1:b"), QStringLiteral("2:c")};
        QTest::newRow("top up") << true << 0 << false << unchanged;
        QTest::newRow("bottom down") << false << 2 << false << unchanged;
        QTest::newRow("no row up") << true << -1 << false << unchanged;
        QTest::newRow("no row down") << false << -1 << false << unchanged;
        QTest::newRow("beyond down") << false << 3 << false << unchanged;
        QTest::newRow("middle up") << true << 1 << true
                                   << QStringList{QStringLiteral("0:b"), QStringLiteral("1:a"),
                                                  QStringLiteral("2:c")};
        QTest::newRow("middle down") << false << 1 << true
                                     << QStringList{QStringLiteral("0:a"), QStringLiteral("1:c"),
                                                    QStringLiteral("2:b")};
        QTest::newRow("bottom up") << true << 2 << true
                                   << QStringList{QStringLiteral("0:a"), QStringLiteral("1:c"),
                                                  QStringLiteral("2:b")};
    }
    void moves()
    {
        QFETCH(bool, up);
        QFETCH(int, row);
        QFETCH(bool, moved);
        QFETCH(QStringList, order);

        RecordingView view;
        CMemberList list(clock(), &view);
        list.updateMember(entry(QStringLiteral("10.0.0.3"), QStringLiteral("a"), 1));
        list.updateMember(entry(QStringLiteral("10.0.0.1"), QStringLiteral("b"), 1));
        list.updateMember(entry(QStringLiteral("10.0.0.2"), QStringLiteral("c"), 1));
        view.calls.clear();
        QCOMPARE(up ? list.moveUp(row) : list.moveDown(row), moved);
        QCOMPARE(namesInRowOrder(list), order);
        QCOMPARE(view.calls, moved ? QStringList{QStringLiteral("reordered")} : QStringList());
    }

    void removalRenumbers()
    {
        RecordingView view;
        CMemberList list(clock(), &view);
        list.updateMember(entry(QStringLiteral("10.0.0.1"), QStringLiteral("a"), 1));
        list.updateMember(entry(QStringLiteral("10.0.0.2"), QStringLiteral("b"), 1));
        list.updateMember(entry(QStringLiteral("10.0.0.3"), QStringLiteral("c"), 1));
        QVERIFY(list.removeMember(QStringLiteral("10.0.0.1")));
        QVERIFY(!list.removeMember(QStringLiteral("10.0.0.1")));
        // The next member must not share a row with an existing one.
        list.updateMember(entry(QStringLiteral("10.0.0.4"), QStringLiteral("d"), 1));
        QCOMPARE(namesInRowOrder(list),
                 QStringList({QStringLiteral("0:b"), QStringLiteral("1:c"), QStringLiteral("2:d")}));
        list.removeAllMembers();
        QCOMPARE(list.count(), 0);
        QCOMPARE(view.calls.mid(3),
                 QStringList({QStringLiteral("removed 10.0.0.1"), QStringLiteral("added 10.0.0.4 d 2"),
                              QStringLiteral("all removed")}));
    }
};

QTEST_APPLESS_MAIN(CMemberListTest)
#include "CMemberListTest.moc"
