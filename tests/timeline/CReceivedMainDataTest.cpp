#include "timeline/CReceivedMainData.h"

#include <QtTest>

class CReceivedMainDataTest final : public QObject
{
    Q_OBJECT

private slots:
    void wireForm_data();
    void wireForm();
    void dump();
};

void CReceivedMainDataTest::wireForm_data()
{
    QTest::addColumn<QString>("address");
    QTest::addColumn<qint32>("sent");
    QTest::addColumn<qint32>("received");
    QTest::addColumn<qint32>("type");
    QTest::addColumn<qint32>("flag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");

    QTest::newRow("caption line") << QStringLiteral("192.168.1.10") << 12345678 << 12345699 << qint32('D')
                                  << 0 << QStringLiteral("字幕")
                                  << QStringLiteral("c0a8010a1234567812345699D00002字幕");
    QTest::newRow("withdrawn by both") << QStringLiteral("10.0.0.1") << 1 << 2 << qint32('D') << 3
                                       << QString() << QStringLiteral("0a0000010000000100000002D30000");
    QTest::newRow("control-character type")
        << QStringLiteral("10.0.0.1") << 0 << 0 << 9 << 0 << QStringLiteral("x")
        << QStringLiteral("0a0000010000000000000000i00001x");
    QTest::newRow("unparsable address") << QStringLiteral("nowhere") << 0 << 0 << qint32('i') << 0
                                        << QString() << QStringLiteral("ffffffff0000000000000000i00000");
    // Peers read eight unsigned digits and compare times within a day.
    QTest::newRow("receive time before midnight")
        << QStringLiteral("10.0.0.1") << 100 << -400 << qint32('D') << 0 << QString()
        << QStringLiteral("0a0000010000010086399600D00000");
    QTest::newRow("receive time past eight digits")
        << QStringLiteral("10.0.0.1") << 99999999 << 100000500 << qint32('D') << 0 << QString()
        << QStringLiteral("0a0000019999999913600500D00000");
    QTest::newRow("most negative") << QStringLiteral("10.0.0.1") << 0 << std::numeric_limits<qint32>::min()
                                   << qint32('D') << 0 << QString()
                                   << QStringLiteral("0a0000010000000012516352D00000");
}

void CReceivedMainDataTest::wireForm()
{
    QFETCH(QString, address);
    QFETCH(qint32, sent);
    QFETCH(qint32, received);
    QFETCH(qint32, type);
    QFETCH(qint32, flag);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    CReceivedMainData r;
    r.strIpAddress = address;
    r.nTimeSent = sent;
    r.nTimeReceived = received;
    r.nType = type;
    r.nFlag = flag;
    r.strRaw = text;
    r.nStrLength = static_cast<qint32>(text.size());
    r.FormatCache();
    QCOMPARE(r.strCache, expected);
    QCOMPARE(r.nTimeReceived, received); // only the wire form is folded
}

void CReceivedMainDataTest::dump()
{
    CReceivedMainData r;
    r.strRaw = QStringLiteral("a %1 line");
    r.nStrLength = 9;
    r.strIpAddress = QStringLiteral("10.0.0.1");
    r.strIpAddressSender = QStringLiteral("10.0.0.2");
    r.nTimeSent = 5;
    r.nType = 7;
    r.nFlag = 1;
    r.nMaxLine = 2;
    r.FormatCache();
    const QStringList lines = r.dump().split(u'\n');
    QCOMPARE(lines.size(), 15);
    QVERIFY(lines.at(0).startsWith(QStringLiteral("[CReceivedMainData] Address=")));
    QCOMPARE(lines.at(0).size(), 28 + 8);
    QCOMPARE(lines.at(1), QStringLiteral(" strRaw=[[a %1 line]]"));
    QCOMPARE(lines.at(2), QStringLiteral(" strIpAddress=10.0.0.1 strIpAddressSender=10.0.0.2"));
    QCOMPARE(lines.at(4), QStringLiteral(" nTimeSent=5"));
    QCOMPARE(lines.at(9), QStringLiteral(" nType=- , nFlag=1"));
    QCOMPARE(lines.at(12), QStringLiteral(" nMaxLine=2 , nDisplayStatus=0"));
    QCOMPARE(lines.at(13), QStringLiteral(" strCache=0a0000010000000500000000i10009a %1 line"));
    QCOMPARE(lines.at(14), QStringLiteral("  (CReceivedMainData dump finish)"));
}

QTEST_APPLESS_MAIN(CReceivedMainDataTest)
#include "CReceivedMainDataTest.moc"
