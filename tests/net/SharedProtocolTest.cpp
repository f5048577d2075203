#include "core/CodePage932.h"
#include "net/CPortTable.h"
#include "net/CSharedProtocol.h"

#include <QTest>

using Port = CPortTable::Kind;

class SharedProtocolTest final : public QObject
{
    Q_OBJECT

private slots:
    void builders_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("bytes");
        // The builders the loopback tests do not already read back byte for byte.

        const QString address = u"192.168.0.2"_qs;
        const QString yamada = u"山田"_qs;
        QTest::newRow("login") << CSharedProtocol::login(address, yamada, 3)
                               << QByteArray("192.168.0.2,\x8E\x52\x93\x63,Req,3");
        QTest::newRow("login group 26")
            << CSharedProtocol::login(address, u"a"_qs, 26) << QByteArray("192.168.0.2,a,Req,26");
        QTest::newRow("response") << CSharedProtocol::response(address, u"192.168.0.9"_qs, yamada)
                                  << QByteArray("192.168.0.2,192.168.0.9,\x8E\x52\x93\x63,Ans");
        QTest::newRow("response full")
            << CSharedProtocol::response(address, u"192.168.0.9"_qs, yamada, CSharedProtocol::Answer::Full)
            << QByteArray("192.168.0.2,192.168.0.9,\x8E\x52\x93\x63,Ful");
        QTest::newRow("monitor empty")
            << CSharedProtocol::monitor(address, QString()) << QByteArray("192.168.0.2,");
        QTest::newRow("main line") << CSharedProtocol::mainLine(u"字幕です"_qs)
                                   << CCodePage932::encode(u"字幕です");
        QTest::newRow("main empty line")
            << CSharedProtocol::mainLine(QString()) << QByteArray("\x24\x89\xFC\x8D\x73\x24");
    }

    void builders()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, bytes);
        QCOMPARE(built, bytes);
    }

    void sequences_data()
    {
        QTest::addColumn<bool>("gross"); // else a pre-roll half
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QList<QByteArray>>("datagrams");

        const QByteArray erase("\x24\x8F\xC1\x8B\x8E\x24");
        const QByteArray newline("\x24\x89\xFC\x8D\x73\x24");
        QTest::newRow("pre-roll, no lines") << false << QStringList() << QList<QByteArray>{erase};
        QTest::newRow("pre-roll lines") << false << QStringList{u"one"_qs, QString(), u"三"_qs}
                                        << QList<QByteArray>{erase, "one", newline, "\x8E\x4F"};
        QTest::newRow("pre-roll, trailing empty line")
            << false << QStringList{u"a"_qs, QString()} << QList<QByteArray>{erase, "a", newline};
        QTest::newRow("gross, closed by the marker") << true << QStringList{u"a"_qs, QString(), u"b"_qs}
                                                     << QList<QByteArray>{"a", "$null$", "b", "\x60\x40"};
        QTest::newRow("gross ending with its marker")
            << true << QStringList{u"a"_qs, u"`@"_qs} << QList<QByteArray>{"a", "\x60\x40"};
        QTest::newRow("gross, only the marker")
            << true << QStringList{u"`@"_qs} << QList<QByteArray>{"\x60\x40"};
        QTest::newRow("gross, empty list") << true << QStringList() << QList<QByteArray>{"\x60\x40"};
    }

    void sequences()
    {
        QFETCH(bool, gross);
        QFETCH(QStringList, lines);
        QFETCH(QList<QByteArray>, datagrams);
        QCOMPARE(gross ? CSharedProtocol::mainGross(lines) : CSharedProtocol::preRoll(lines), datagrams);
    }

    void receivedMarkers()
    {
        const QByteArray erase = CSharedProtocol::eraseMarker().toByteArray();
        QVERIFY(CSharedProtocol::startsWithEraseMarker(erase));
        QVERIFY(CSharedProtocol::startsWithEraseMarker(erase + "tail"));
        QVERIFY(!CSharedProtocol::startsWithEraseMarker(erase.left(5)));
        QVERIFY(CSharedProtocol::startsWithNewlineMarker(CSharedProtocol::mainLine(QString())));
        QVERIFY(!CSharedProtocol::startsWithNewlineMarker(erase));
        QVERIFY(CSharedProtocol::isNullLine("$null$"));
        QVERIFY(!CSharedProtocol::isNullLine("$null$ "));
        QVERIFY(CSharedProtocol::isBlockEnd("`@"));
        QVERIFY(!CSharedProtocol::isBlockEnd("`@\r\n"));
    }

    void split_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("head");
        QTest::addColumn<int>("tail");
        QTest::addColumn<QStringList>("fields");

        const auto list = [](const char *joined) {
            return QString::fromLatin1(joined).split(QLatin1Char('|'));
        };
        QTest::newRow("no comma") << u"abc"_qs << 1 << 2 << list("abc");
        QTest::newRow("empty text") << QString() << 1 << 0 << list("");
        QTest::newRow("fewer commas than h+t") << u"a,b"_qs << 1 << 2 << list("a|b");
        QTest::newRow("exactly h+t") << u"a,b,c,d"_qs << 1 << 2 << list("a|b|c|d");
        QTest::newRow("more: middle keeps commas") << u"a,b,c,d,e"_qs << 1 << 2 << list("a|b,c|d|e");
        QTest::newRow("response form") << u"a,b,n,a,m,e,Ans"_qs << 2 << 1 << list("a|b|n,a,m,e|Ans");
        QTest::newRow("head only") << u"1.2.3.4,typed, text"_qs << 1 << 0 << list("1.2.3.4|typed, text");
        QTest::newRow("tail only") << u"a,b,c"_qs << 0 << 1 << list("a,b|c");
        QTest::newRow("neither") << u"a,b,c"_qs << 0 << 0 << list("a,b,c");
        QTest::newRow("empty fields") << u",,,"_qs << 1 << 2 << list("|||");
        QTest::newRow("empty middle with commas") << u"a,,,,b"_qs << 1 << 1 << list("a|,,|b");
        QTest::newRow("leading and trailing") << u",x,"_qs << 1 << 1 << list("|x|");
        QTest::newRow("negative counts as zero") << u"a,b"_qs << -1 << -3 << list("a,b");
    }

    void split()
    {
        QFETCH(QString, text);
        QFETCH(int, head);
        QFETCH(int, tail);
        QFETCH(QStringList, fields);
        QCOMPARE(CSharedProtocol::split(text, head, tail), fields);
    }

    void undecodableBytes()
    {
        // A lead byte without its trail byte forms no character.
        const QStringList fields = CSharedProtocol::fields(QByteArray("1.2.3.4,\x8E"), 1, 0);
        QCOMPARE(fields.size(), 2);
        QCOMPARE(fields.at(0), u"1.2.3.4"_qs);
        QCOMPARE(fields.at(1), u"・"_qs);
    }

    void ports()
    {
        // The ten shared ports and the native one, on channel 1, then each channel 100 ports higher
        // (the native port one higher); a channel out of range uses channel 1.
        const QList<Port> kinds = {Port::Main,      Port::MainGross, Port::Response, Port::Monitor,
                                   Port::Login,     Port::Undo,      Port::Logoff,   Port::Chat,
                                   Port::PftLatter, Port::PftFormer, Port::Native};
        const QList<int> channelOne = {6711, 6713, 6718, 6721, 6722, 6723, 6724, 6727, 6734, 6735, 6633};
        for (qsizetype i = 0; i < kinds.size(); ++i) {
            const int step = kinds.at(i) == Port::Native ? 1 : 100;
            QCOMPARE(int(CPortTable::port(kinds.at(i), 1)), channelOne.at(i));
            QCOMPARE(int(CPortTable::port(kinds.at(i), 3)), channelOne.at(i) + 2 * step);
            QCOMPARE(int(CPortTable::port(kinds.at(i), 12)), channelOne.at(i) + 11 * step);
            QCOMPARE(int(CPortTable::port(kinds.at(i), 0)), channelOne.at(i));
            QCOMPARE(int(CPortTable::port(kinds.at(i), 13)), channelOne.at(i));
        }
    }
};

QTEST_APPLESS_MAIN(SharedProtocolTest)
#include "SharedProtocolTest.moc"
