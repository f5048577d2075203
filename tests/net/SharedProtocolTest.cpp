#include "core/CodePage932.h"
#include "net/CPortTable.h"
#include "net/CSharedProtocol.h"

#include <QTest>

using Port = CPortTable::Kind;
Q_DECLARE_METATYPE(CPortTable::Kind)

class SharedProtocolTest final : public QObject
{
    Q_OBJECT

private slots:
    void builders_data();
    void builders();
    void loginNameWithCommaSurvivesSplit();
    void preRollSequences_data();
    void preRollSequences();
    void grossSequences_data();
    void grossSequences();
    void markersMatchTheirText();
    void receivedMarkers();
    void split_data();
    void split();
    void undecodableBytes();
    void ports_data();
    void ports();
};

void SharedProtocolTest::builders_data()
{
    QTest::addColumn<QByteArray>("built");
    QTest::addColumn<QByteArray>("bytes");

    const QString address = QStringLiteral("192.168.0.2");
    const QString yamada = QStringLiteral(u"山田");
    QTest::newRow("login") << CSharedProtocol::login(address, yamada, 3)
                           << QByteArray("192.168.0.2,\x8E\x52\x93\x63,Req,3");
    QTest::newRow("login group 26") << CSharedProtocol::login(address, QStringLiteral("a"), 26)
                                    << QByteArray("192.168.0.2,a,Req,26");
    QTest::newRow("response") << CSharedProtocol::response(address, QStringLiteral("192.168.0.9"), yamada)
                              << QByteArray("192.168.0.2,192.168.0.9,\x8E\x52\x93\x63,Ans");
    QTest::newRow("response full") << CSharedProtocol::response(address, QStringLiteral("192.168.0.9"),
                                                                yamada, CSharedProtocol::Answer::Full)
                                   << QByteArray("192.168.0.2,192.168.0.9,\x8E\x52\x93\x63,Ful");
    QTest::newRow("monitor") << CSharedProtocol::monitor(address, QStringLiteral("a,b"))
                             << QByteArray("192.168.0.2,a,b");
    QTest::newRow("monitor empty") << CSharedProtocol::monitor(address, QString())
                                   << QByteArray("192.168.0.2,");
    QTest::newRow("logoff") << CSharedProtocol::logoff(address, yamada)
                            << QByteArray("192.168.0.2,\x8E\x52\x93\x63,\x97\xA3\x92\x45");
    QTest::newRow("main line") << CSharedProtocol::mainLine(QStringLiteral(u"字幕です"))
                               << CCodePage932::encode(u"字幕です");
    QTest::newRow("main empty line") << CSharedProtocol::mainLine(QString())
                                     << QByteArray("\x24\x89\xFC\x8D\x73\x24");
    QTest::newRow("chat") << CSharedProtocol::chat(QStringLiteral(u"山田／了解"))
                          << CCodePage932::encode(u"山田／了解");
    QTest::newRow("undo") << CSharedProtocol::undo() << QByteArray("undo");
    QTest::newRow("clear screen") << CSharedProtocol::clearScreen() << QByteArray("cls");
}

void SharedProtocolTest::builders()
{
    QFETCH(QByteArray, built);
    QFETCH(QByteArray, bytes);
    QCOMPARE(built, bytes);
}

void SharedProtocolTest::loginNameWithCommaSurvivesSplit()
{
    const QByteArray login =
        CSharedProtocol::login(QStringLiteral("10.0.0.4"), QStringLiteral(u"山田,太郎"), 2);
    const QStringList fields =
        CSharedProtocol::fields(login, CSharedProtocol::kLoginHead, CSharedProtocol::kLoginTail);
    QCOMPARE(fields, (QStringList{QStringLiteral("10.0.0.4"), QStringLiteral(u"山田,太郎"),
                                  QStringLiteral("Req"), QStringLiteral("2")}));

    const QByteArray logoff = CSharedProtocol::logoff(QStringLiteral("10.0.0.4"), QStringLiteral(u"山田"));
    QCOMPARE(CSharedProtocol::fields(logoff, CSharedProtocol::kMonitorHead, CSharedProtocol::kMonitorTail),
             (QStringList{QStringLiteral("10.0.0.4"), QStringLiteral(u"山田,離脱")}));

    const QByteArray response =
        CSharedProtocol::response(QStringLiteral("10.0.0.4"), QStringLiteral("10.0.0.5"),
                                  QStringLiteral("a,b"), CSharedProtocol::Answer::Full);
    QCOMPARE(
        CSharedProtocol::fields(response, CSharedProtocol::kResponseHead, CSharedProtocol::kResponseTail),
        (QStringList{QStringLiteral("10.0.0.4"), QStringLiteral("10.0.0.5"), QStringLiteral("a,b"),
                     QStringLiteral("Ful")}));
}

void SharedProtocolTest::preRollSequences_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<QByteArray>>("datagrams");

    const QByteArray erase("\x24\x8F\xC1\x8B\x8E\x24");
    const QByteArray newline("\x24\x89\xFC\x8D\x73\x24");
    QTest::newRow("no lines") << QStringList() << QList<QByteArray>{erase};
    QTest::newRow("lines") << QStringList{QStringLiteral("one"), QString(), QStringLiteral(u"三")}
                           << QList<QByteArray>{erase, "one", newline, "\x8E\x4F"};
    QTest::newRow("trailing empty line")
        << QStringList{QStringLiteral("a"), QString()} << QList<QByteArray>{erase, "a", newline};
}

void SharedProtocolTest::preRollSequences()
{
    QFETCH(QStringList, lines);
    QFETCH(QList<QByteArray>, datagrams);
    QCOMPARE(CSharedProtocol::preRoll(lines), datagrams);
}

void SharedProtocolTest::grossSequences_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QList<QByteArray>>("datagrams");

    QTest::newRow("closed by the marker") << QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}
                                          << QList<QByteArray>{"a", "$null$", "b", "\x60\x40"};
    QTest::newRow("block ending with its marker")
        << QStringList{QStringLiteral("a"), QStringLiteral("`@")} << QList<QByteArray>{"a", "\x60\x40"};
    QTest::newRow("only the marker") << QStringList{QStringLiteral("`@")} << QList<QByteArray>{"\x60\x40"};
    QTest::newRow("empty list") << QStringList() << QList<QByteArray>{"\x60\x40"};
}

void SharedProtocolTest::grossSequences()
{
    QFETCH(QStringList, lines);
    QFETCH(QList<QByteArray>, datagrams);
    QCOMPARE(CSharedProtocol::mainGross(lines), datagrams);
}

void SharedProtocolTest::markersMatchTheirText()
{
    QCOMPARE(CSharedProtocol::eraseMarker(), CCodePage932::encode(u"$消去$"));
    QCOMPARE(CSharedProtocol::newlineMarker(), CCodePage932::encode(u"$改行$"));
    QCOMPARE(CSharedProtocol::blockEnd(), CCodePage932::encode(CSharedProtocol::blockEndLine()));
    QCOMPARE(CSharedProtocol::decode(CSharedProtocol::eraseMarker()), QStringLiteral(u"$消去$"));
}

void SharedProtocolTest::receivedMarkers()
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

void SharedProtocolTest::split_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("head");
    QTest::addColumn<int>("tail");
    QTest::addColumn<QStringList>("fields");

    const auto list = [](const char *joined) { return QString::fromLatin1(joined).split(QLatin1Char('|')); };
    QTest::newRow("no comma") << QStringLiteral("abc") << 1 << 2 << list("abc");
    QTest::newRow("empty text") << QString() << 1 << 0 << list("");
    QTest::newRow("fewer commas than h+t") << QStringLiteral("a,b") << 1 << 2 << list("a|b");
    QTest::newRow("exactly h+t") << QStringLiteral("a,b,c,d") << 1 << 2 << list("a|b|c|d");
    QTest::newRow("more: middle keeps commas") << QStringLiteral("a,b,c,d,e") << 1 << 2 << list("a|b,c|d|e");
    QTest::newRow("response form") << QStringLiteral("a,b,n,a,m,e,Ans") << 2 << 1 << list("a|b|n,a,m,e|Ans");
    QTest::newRow("head only") << QStringLiteral("1.2.3.4,typed, text") << 1 << 0
                               << list("1.2.3.4|typed, text");
    QTest::newRow("tail only") << QStringLiteral("a,b,c") << 0 << 1 << list("a,b|c");
    QTest::newRow("neither") << QStringLiteral("a,b,c") << 0 << 0 << list("a,b,c");
    QTest::newRow("empty fields") << QStringLiteral(",,,") << 1 << 2 << list("|||");
    QTest::newRow("empty middle with commas") << QStringLiteral("a,,,,b") << 1 << 1 << list("a|,,|b");
    QTest::newRow("leading and trailing") << QStringLiteral(",x,") << 1 << 1 << list("|x|");
    QTest::newRow("negative counts as zero") << QStringLiteral("a,b") << -1 << -3 << list("a,b");
}

void SharedProtocolTest::split()
{
    QFETCH(QString, text);
    QFETCH(int, head);
    QFETCH(int, tail);
    QFETCH(QStringList, fields);
    QCOMPARE(CSharedProtocol::split(text, head, tail), fields);
}

void SharedProtocolTest::undecodableBytes()
{
    // A lead byte without its trail byte forms no character.
    const QStringList fields = CSharedProtocol::fields(QByteArray("1.2.3.4,\x8E"), 1, 0);
    QCOMPARE(fields.size(), 2);
    QCOMPARE(fields.at(0), QStringLiteral("1.2.3.4"));
    QCOMPARE(fields.at(1), QStringLiteral(u"・"));
}

void SharedProtocolTest::ports_data()
{
    QTest::addColumn<Port>("kind");
    QTest::addColumn<int>("channel");
    QTest::addColumn<int>("port");

    QTest::newRow("native 1") << Port::Native << 1 << 6633;
    QTest::newRow("native 3") << Port::Native << 3 << 6635;
    QTest::newRow("native 12") << Port::Native << 12 << 6644;
    QTest::newRow("main 1") << Port::Main << 1 << 6711;
    QTest::newRow("main-gross 1") << Port::MainGross << 1 << 6713;
    QTest::newRow("response 1") << Port::Response << 1 << 6718;
    QTest::newRow("monitor 1") << Port::Monitor << 1 << 6721;
    QTest::newRow("login 1") << Port::Login << 1 << 6722;
    QTest::newRow("undo 1") << Port::Undo << 1 << 6723;
    QTest::newRow("logoff 1") << Port::Logoff << 1 << 6724;
    QTest::newRow("chat 1") << Port::Chat << 1 << 6727;
    QTest::newRow("pft-latter 1") << Port::PftLatter << 1 << 6734;
    QTest::newRow("pft-former 1") << Port::PftFormer << 1 << 6735;
    QTest::newRow("main 3") << Port::Main << 3 << 6911;
    QTest::newRow("pft-former 3") << Port::PftFormer << 3 << 6935;
    QTest::newRow("main 12") << Port::Main << 12 << 7811;
    QTest::newRow("pft-former 12") << Port::PftFormer << 12 << 7835;
    QTest::newRow("channel 0 uses 1") << Port::Login << 0 << 6722;
    QTest::newRow("channel 13 uses 1") << Port::Native << 13 << 6633;
}

void SharedProtocolTest::ports()
{
    QFETCH(Port, kind);
    QFETCH(int, channel);
    QFETCH(int, port);
    QCOMPARE(static_cast<int>(CPortTable::port(kind, channel)), port);
}

QTEST_APPLESS_MAIN(SharedProtocolTest)
#include "SharedProtocolTest.moc"
