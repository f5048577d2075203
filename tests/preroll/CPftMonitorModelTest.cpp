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
        const QString address = u"10.0.0.5"_qs;
        QVERIFY(model.SetFormer(address, u"old\r\n"_qs, storedFirst, storedReceived));
        QCOMPARE(model.SetFormer(address, u"new!\r\n"_qs, first, received), accepted);
        QCOMPARE(model.former(address), accepted ? u"new!\r\n"_qs : u"old\r\n"_qs);
        QCOMPARE(model.boundary(), accepted ? 6 : 5);
        QCOMPARE(view.refreshes, 2);
        // Former and latter share the times: the latter record is judged the same way.
        QCOMPARE(model.SetLatter(address, u"next\r\n"_qs, first, received), accepted);
    }

    void boundaryAfterLines()
    {
        CountingView view;
        CPftMonitorModel model(&view);
        const QString address = u"10.0.0.7"_qs;
        model.AppendFormerLine(address, u"stale"_qs);
        model.ClearFormer(address);
        model.ClearLatter(address);
        QCOMPARE(view.refreshes, 1);
        QCOMPARE(model.boundary(), 0);
        model.AppendFormerLine(address, u"ab"_qs);
        model.AppendFormerLine(address, QString());
        model.AppendFormerLine(address, u"hello"_qs);
        model.AppendLatterLine(address, u"next"_qs);
        QCOMPARE(model.boundary(), 13);
        QCOMPARE(model.shownText(), u"ab\r\n\r\nhello\r\nnext\r\n"_qs);
        QCOMPARE(view.refreshes, 5);
    }

    void showsWhoeverSentLast()
    {
        CountingView view;
        CPftMonitorModel model(&view);
        const QString x = u"10.0.0.1"_qs;
        const QString y = u"10.0.0.2"_qs;
        model.SetFormer(x, u"x1\r\n"_qs, 1000, 1000);
        model.SetLatter(x, u"x2\r\n"_qs, 1000, 1000);
        QCOMPARE(model.shownText(), u"x1\r\nx2\r\n"_qs);

        // A shared-protocol peer sends its pre-roll line by line in between.
        model.ClearFormer(y);
        model.AppendFormerLine(y, u"y1"_qs);
        QCOMPARE(model.currentMember(), y);
        QCOMPARE(model.shownText(), u"y1\r\n"_qs);

        model.SetFormer(x, u"x1 longer\r\n"_qs, 2000, 2000);
        QCOMPARE(model.currentMember(), x);
        QCOMPARE(model.boundary(), 11);

        // The marker belongs to the shown member's own former text.
        model.AppendFormerLine(y, u"y2"_qs);
        QCOMPARE(model.shownText(), u"y1\r\ny2\r\n"_qs);
        QCOMPARE(model.boundary(), 8);

        // Other members' times do not hold back x.
        model.SetLatter(y, u"y3\r\n"_qs, 9000, 9000);
        QVERIFY(model.SetLatter(x, u"x3\r\n"_qs, 2500, 2500));
        QCOMPARE(model.shownText(), u"x1 longer\r\nx3\r\n"_qs);
    }

    void ownPreroll()
    {
        CPftMonitorModel model;
        QVERIFY(!model.isOwnPreroll());
        QCOMPARE(model.shownText(), QString());
        model.ClearFormer(CPftMonitorModel::kOwnAddress);
        model.AppendFormerLine(CPftMonitorModel::kOwnAddress, u"mine"_qs);
        QVERIFY(model.isOwnPreroll());
        QCOMPARE(model.currentMember(), u"127.0.0.1"_qs);
        QCOMPARE(model.former(u"127.0.0.1"_qs), u"mine\r\n"_qs);
    }
};

QTEST_APPLESS_MAIN(CPftMonitorModelTest)
#include "CPftMonitorModelTest.moc"
