#include "preroll/CPftMonitorModel.h"
#include "preroll/IPftMonitorView.h"

#include <QTest>

namespace {

constexpr qint32 kDay = 86400000;

class CountingView final : public IPftMonitorView
{
public:
    int refreshes = 0;
    void pftMonitorChanged() override { ++refreshes; }
};

} // namespace

class CPftMonitorModelTest final : public QObject
{
    Q_OBJECT

private slots:
    void freshness_data()
    {
        QTest::addColumn<qint32>("storedFirst");
        QTest::addColumn<qint32>("storedReceived");
        QTest::addColumn<qint32>("first");
        QTest::addColumn<qint32>("received");
        QTest::addColumn<bool>("accepted");

        QTest::newRow("newer") << 5000000 << 5000040 << 5001000 << 5001040 << true;
        QTest::newRow("arrives 1 s later, sent 1 s earlier")
            << 5000000 << 5000040 << 4999000 << 5001040 << false;
        QTest::newRow("received earlier") << 5000000 << 5000040 << 5001000 << 5000039 << false;
        QTest::newRow("same datagram again") << 5000000 << 5000040 << 5000000 << 5000040 << true;
        QTest::newRow("sent earlier, arrives 2 s later") << 5000000 << 5000040 << 4999000 << 5002040 << true;
        QTest::newRow("sent 2 s earlier") << 5000000 << 5000040 << 4998000 << 5000540 << true;
        QTest::newRow("across midnight") << kDay - 300 << kDay - 200 << 500 << 600 << true;
        QTest::newRow("received before midnight") << 500 << 600 << 700 << kDay - 200 << false;
    }
    void freshness()
    {
        QFETCH(qint32, storedFirst);
        QFETCH(qint32, storedReceived);
        QFETCH(qint32, first);
        QFETCH(qint32, received);
        QFETCH(bool, accepted);

        CountingView view;
        CPftMonitorModel model(&view);
        const QString address = QStringLiteral("10.0.0.5");
        QVERIFY(model.SetFormer(address, QStringLiteral("old\r\n"), storedFirst, storedReceived));
        QCOMPARE(model.SetFormer(address, QStringLiteral("new!\r\n"), first, received), accepted);
        QCOMPARE(model.former(address), accepted ? QStringLiteral("new!\r\n") : QStringLiteral("old\r\n"));
        QCOMPARE(model.boundary(), accepted ? 6 : 5);
        QCOMPARE(view.refreshes, 2);
        // Former and latter share the times: the latter record is judged the same way.
        QCOMPARE(model.SetLatter(address, QStringLiteral("next\r\n"), first, received), accepted);
    }

    void bothHalvesOfOneDatagram()
    {
        CountingView view;
        CPftMonitorModel model(&view);
        const QString address = QStringLiteral("10.0.0.5");
        QVERIFY(model.SetFormer(address, QStringLiteral("a\r\nb\r\n"), 7000, 7100));
        QVERIFY(model.SetLatter(address, QStringLiteral("c\r\n"), 7000, 7100));
        QCOMPARE(model.shownText(), QStringLiteral("a\r\nb\r\nc\r\n"));
        QCOMPARE(model.boundary(), 6);
        QCOMPARE(model.currentMember(), address);
        QCOMPARE(view.refreshes, 2);
    }

    void boundaryAfterLines()
    {
        CountingView view;
        CPftMonitorModel model(&view);
        const QString address = QStringLiteral("10.0.0.7");
        model.AppendFormerLine(address, QStringLiteral("stale"));
        model.ClearFormer(address);
        model.ClearLatter(address);
        QCOMPARE(view.refreshes, 1);
        QCOMPARE(model.boundary(), 0);
        model.AppendFormerLine(address, QStringLiteral("ab"));
        model.AppendFormerLine(address, QString());
        model.AppendFormerLine(address, QStringLiteral("hello"));
        model.AppendLatterLine(address, QStringLiteral("next"));
        QCOMPARE(model.boundary(), 13);
        QCOMPARE(model.shownText(), QStringLiteral("ab\r\n\r\nhello\r\nnext\r\n"));
        QCOMPARE(view.refreshes, 5);
    }

    void showsWhoeverSentLast()
    {
        CountingView view;
        CPftMonitorModel model(&view);
        const QString x = QStringLiteral("10.0.0.1");
        const QString y = QStringLiteral("10.0.0.2");
        model.SetFormer(x, QStringLiteral("x1\r\n"), 1000, 1000);
        model.SetLatter(x, QStringLiteral("x2\r\n"), 1000, 1000);
        QCOMPARE(model.shownText(), QStringLiteral("x1\r\nx2\r\n"));

        // A shared-protocol peer sends its pre-roll line by line in between.
        model.ClearFormer(y);
        model.AppendFormerLine(y, QStringLiteral("y1"));
        QCOMPARE(model.currentMember(), y);
        QCOMPARE(model.shownText(), QStringLiteral("y1\r\n"));

        model.SetFormer(x, QStringLiteral("x1 longer\r\n"), 2000, 2000);
        QCOMPARE(model.currentMember(), x);
        QCOMPARE(model.boundary(), 11);

        // The marker belongs to the shown member's own former text.
        model.AppendFormerLine(y, QStringLiteral("y2"));
        QCOMPARE(model.shownText(), QStringLiteral("y1\r\ny2\r\n"));
        QCOMPARE(model.boundary(), 8);

        // Other members' times do not hold back x.
        model.SetLatter(y, QStringLiteral("y3\r\n"), 9000, 9000);
        QVERIFY(model.SetLatter(x, QStringLiteral("x3\r\n"), 2500, 2500));
        QCOMPARE(model.shownText(), QStringLiteral("x1 longer\r\nx3\r\n"));
    }

    void ownPreroll()
    {
        CPftMonitorModel model;
        QVERIFY(!model.isOwnPreroll());
        QCOMPARE(model.shownText(), QString());
        model.ClearFormer(CPftMonitorModel::kOwnAddress);
        model.AppendFormerLine(CPftMonitorModel::kOwnAddress, QStringLiteral("mine"));
        QVERIFY(model.isOwnPreroll());
        QCOMPARE(model.currentMember(), QStringLiteral("127.0.0.1"));
        QCOMPARE(model.former(QStringLiteral("127.0.0.1")), QStringLiteral("mine\r\n"));
    }
};

QTEST_APPLESS_MAIN(CPftMonitorModelTest)
#include "CPftMonitorModelTest.moc"
