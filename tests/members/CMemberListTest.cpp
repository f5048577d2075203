#include "members/CMemberList.h"
#include "members/CMonitorTextFit.h"
#include "members/IMemberView.h"

#include <QTest>

namespace {

constexpr qint64 kStart = 1700000000;
constexpr qint32 kDay = 86400000;
const QString kA = u"10.0.0.1"_qs;
const QString kB = u"10.0.0.2"_qs;
const QString kC = u"10.0.0.3"_qs;

CMemberEntry entry(const QString &address, const QString &name, int kind = CMemberEntry::kKindNative)
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
    void memberAdded(const CMemberEntry &e) override { record(u"added"_qs, e, e.strName); }
    void memberNameChanged(const CMemberEntry &e) override { record(u"name"_qs, e, e.strName); }
    void memberInputChanged(const CMemberEntry &e) override { record(u"input"_qs, e, e.strInput); }
    void memberRemoved(const QString &address) override { calls << u"removed "_qs + address; }
    void allMembersRemoved() override { calls << u"all removed"_qs; }
    void membersReordered() override { calls << u"reordered"_qs; }
    void record(const QString &what, const CMemberEntry &e, const QString &name)
    {
        calls << u"%1 %2 %3 %4"_qs.arg(what, e.strAddress, name).arg(e.nRow);
    }
};

QStringList namesInRowOrder(const CMemberList &list)
{
    QStringList names;
    for (const CMemberEntry &e : list.membersInRowOrder())
        names << u"%1:%2"_qs.arg(e.nRow).arg(e.strName);
    return names;
}

} // namespace

class CMemberListTest final : public QObject
{
    Q_OBJECT

    qint64 m_now = kStart;
    RecordingView m_view;
    CMemberList::SecondsClock clock()
    {
        return [this] { return m_now; };
    }

private slots:
    void init()
    {
        m_now = kStart;
        m_view.calls.clear();
    }

    // The list already holds kB "bob" kind 1 at row 1; an update of it comes 30 s later.
    void updateMember_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("stored"); // name, kind
        QTest::newRow("same name and kind") << "bob" << 1 << 0 << "bob 1";
        QTest::newRow("kind changed") << "bob" << 0 << 1 << "bob 0";
        QTest::newRow("name changed") << "robert" << 1 << 1 << "robert 1";
        QTest::newRow("empty name keeps the name") << "" << 1 << 0 << "bob 1";
        QTest::newRow("empty name, kind changed") << "" << 0 << 1 << "bob 0";
    }

    void updateMember()
    {
        QFETCH(QString, name);
        QFETCH(int, kind);
        QFETCH(int, result);
        QFETCH(QString, stored);
        CMemberList list(clock());
        QCOMPARE(list.updateMember(entry(kA, u"amy"_qs)), 1);
        QCOMPARE(list.updateMember(entry(kB, u"bob"_qs)), 1);
        m_now += 30;
        QCOMPARE(list.updateMember(entry(kB, name, kind)), result);
        const CMemberEntry *bob = list.find(kB);
        QCOMPARE(u"%1 %2"_qs.arg(bob->strName).arg(bob->nKind), stored);
        QCOMPARE(bob->nRow, 1);
        QCOMPARE(bob->nLastHeard, kStart + 30);
        QCOMPARE(list.count(), 2);
    }

    void newMembersAndRenames()
    {
        CMemberList list(clock(), &m_view);
        QCOMPARE(list.updateMember(entry(kA, u"amy"_qs, 0)), 1);
        CMemberEntry bob = entry(kB, QString());
        bob.nFirstSeen = kStart - 100;
        QCOMPARE(list.updateMember(bob), 1);
        // A new member takes the next row, and its address as name when it has none.
        QCOMPARE(m_view.calls, QStringList({u"added 10.0.0.1 amy 0"_qs, u"added 10.0.0.2 10.0.0.2 1"_qs}));
        QCOMPARE(list.find(kB)->nLastHeard, kStart);
        QVERIFY(list.acceptMonitorText(kB, u"x"_qs, 5000, 6000));

        QCOMPARE(list.updateMember(entry(kB, u"robert"_qs)), 1);
        QCOMPARE(m_view.calls.last(), u"name 10.0.0.2 robert 1"_qs);
        QCOMPARE(list.find(kB)->nFirstSeen, kStart - 100);
        // A monitor datagram overtaken before the rename is still recognised afterwards.
        QVERIFY(!list.acceptMonitorText(kB, u"old"_qs, 4000, 6500));

        // Monitor text of the other program's protocol is taken without the ordering rule.
        QVERIFY(!list.setMonitorText(kC, u"x"_qs, 1, 1));
        QVERIFY(list.setMonitorText(kA, u"late"_qs, 5000, 5000));
        QVERIFY(list.setMonitorText(kA, u"earlier"_qs, 4000, 4000));
        QCOMPARE(list.find(kA)->strInput, u"earlier"_qs);

        QCOMPARE(list.lookupMember(kA), 0);
        QCOMPARE(list.lookupMember(kB), 1);
        QCOMPARE(list.lookupMember(kC), 2);
        m_now += 12;
        QVERIFY(list.touchMember(kB));
        QVERIFY(!list.touchMember(kC));
        QCOMPARE(list.find(kB)->nLastHeard, kStart + 12);
        QCOMPARE(list.find(kA)->nLastHeard, kStart);
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
        QTest::newRow("2000 s") << 1 << qint64(2000) << "995" << true;
        QTest::newRow("future") << 1 << qint64(-50) << "OK" << false;
        QTest::newRow("unwatched, silent") << 0 << qint64(2000) << " " << false;
    }

    void connectionCell()
    {
        QFETCH(int, kind);
        QFETCH(qint64, silence);
        QFETCH(QString, text);
        QFETCH(bool, lost);
        CMemberList list(clock());
        list.updateMember(entry(kA, u"amy"_qs, kind));
        m_now += silence;
        const CMemberList::ConnectionCell cell = list.connectionCell(kA);
        QCOMPARE(cell.text, text);
        QCOMPARE(cell.lost, lost);
        QCOMPARE(list.anyLost(), lost);
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
        CMemberList list(clock(), &m_view);
        QVERIFY(!list.monitorOrderAccepts(kA, firstSent, firstReceived)); // not a member yet
        list.updateMember(entry(kA, u"amy"_qs));
        QVERIFY(list.acceptMonitorText(kA, u"first"_qs, firstSent, firstReceived));
        QCOMPARE(list.acceptMonitorText(kA, u"second"_qs, sent, received), accepted);
        const QString shown = accepted ? u"second"_qs : u"first"_qs;
        QCOMPARE(list.find(kA)->strInput, shown);
        QCOMPARE(m_view.calls.last(), u"input 10.0.0.1 %1 0"_qs.arg(shown));
    }

    void moves_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("row");
        QTest::addColumn<QString>("order"); // empty: nothing moved
        QTest::newRow("top up") << -1 << 0 << QString();
        QTest::newRow("bottom down") << 1 << 2 << QString();
        QTest::newRow("no row up") << -1 << -1 << QString();
        QTest::newRow("top down") << 1 << 0 << "0:b 1:a 2:c";
        QTest::newRow("beyond down") << 1 << 3 << QString();
        QTest::newRow("middle up") << -1 << 1 << "0:b 1:a 2:c";
        QTest::newRow("middle down") << 1 << 1 << "0:a 1:c 2:b";
        QTest::newRow("bottom up") << -1 << 2 << "0:a 1:c 2:b";
    }

    void moves()
    {
        QFETCH(int, step);
        QFETCH(int, row);
        QFETCH(QString, order);
        CMemberList list(clock(), &m_view);
        list.updateMember(entry(kC, u"a"_qs));
        list.updateMember(entry(kA, u"b"_qs));
        list.updateMember(entry(kB, u"c"_qs));
        m_view.calls.clear();
        QCOMPARE(step < 0 ? list.moveUp(row) : list.moveDown(row), !order.isEmpty());
        QCOMPARE(namesInRowOrder(list).join(u' '), order.isEmpty() ? u"0:a 1:b 2:c"_qs : order);
        QCOMPARE(m_view.calls, order.isEmpty() ? QStringList() : QStringList{u"reordered"_qs});
    }

    void removalRenumbers()
    {
        CMemberList list(clock(), &m_view);
        list.updateMember(entry(kA, u"a"_qs));
        list.updateMember(entry(kB, u"b"_qs));
        list.updateMember(entry(kC, u"c"_qs));
        QVERIFY(list.removeMember(kA));
        QVERIFY(!list.removeMember(kA));
        // The next member must not share a row with an existing one.
        list.updateMember(entry(u"10.0.0.4"_qs, u"d"_qs));
        QCOMPARE(namesInRowOrder(list).join(u' '), u"0:b 1:c 2:d"_qs);
        list.removeAllMembers();
        QCOMPARE(list.count(), 0);
        QCOMPARE(list.connectionCell(kB).text, QString());
        QCOMPARE(m_view.calls.mid(3),
                 QStringList({u"removed 10.0.0.1"_qs, u"added 10.0.0.4 d 2"_qs, u"all removed"_qs}));
    }

    // The monitor's input column: "W" is 30 pixels wide, "i" 5, anything else 10; the reserve
    // " ... " takes 50 of the column.
    void monitorTextFit_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits exactly") << u"abcde"_qs << 100 << u"abcde"_qs;
        QTest::newRow("one too many keeps the end") << u"abcdef"_qs << 100 << u"bcdef"_qs;
        QTest::newRow("longest tail that fits") << u"WWWiiiiWiiii"_qs << 100 << u"Wiiii"_qs;
        QTest::newRow("empty") << QString() << 10 << QString();
        QTest::newRow("column narrower than the reserve") << u"abc"_qs << 20 << QString();
        QTest::newRow("surrogate pair not split") << u"ab\U0001F600cd"_qs << 80 << u"cd"_qs;
    }

    void monitorTextFit()
    {
        QFETCH(QString, text);
        QFETCH(int, column);
        QFETCH(QString, shown);
        const auto width = [](QStringView part) {
            int w = 0;
            for (QChar c : part)
                w += c == u'W' ? 30 : c == u'i' ? 5 : 10;
            return w;
        };
        QCOMPARE(CMonitorTextFit::Fit(text, column, width), shown);
    }
};

QTEST_APPLESS_MAIN(CMemberListTest)
#include "CMemberListTest.moc"
