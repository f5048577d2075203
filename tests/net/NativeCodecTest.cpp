#include "FakeClock.h"
#include "FakeRecordHistory.h"
#include "TestHome.h"

#include "core/ContinuousTime.h"
#include "net/CNativeCodec.h"
#include "timeline/CReceivedMainData.h"

#include <QTest>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr quint32 kSendTime = 45296789; // 12:34:56.789
const QString kOwnAddress = QStringLiteral("192.168.0.5");
const QString kPeer = QStringLiteral("192.168.0.7");

QString asUnits(const QByteArray &bytes)
{
    QString s(bytes.size() / 2, Qt::Uninitialized);
    qFromLittleEndian<quint16>(bytes.constData(), s.size(), s.data());
    return s;
}

QByteArray asBytes(QStringView units)
{
    QByteArray bytes(units.size() * 2, Qt::Uninitialized);
    qToLittleEndian<quint16>(units.utf16(), units.size(), bytes.data());
    return bytes;
}

QString wireLine(const QString &address, qint32 sent, qint32 received, qint32 type, qint32 flag,
                 const QString &text)
{
    CReceivedMainData record;
    record.strIpAddress = address;
    record.nTimeSent = sent;
    record.nTimeReceived = received;
    record.nType = type;
    record.nFlag = flag;
    record.strRaw = text;
    record.nStrLength = static_cast<qint32>(text.size());
    record.FormatCache();
    return record.strCache;
}

QString header(QChar kind, int byteLength, QChar group = QLatin1Char('A'))
{
    return group + QString::number(kSendTime) + kind +
           QString::number(byteLength).rightJustified(4, QLatin1Char('0'));
}

int countLines(const QStringList &lines, const QString &text)
{
    return static_cast<int>(std::count(lines.begin(), lines.end(), text));
}

// Every test runs in its own home (the operation log goes there) with the clock at kSendTime.
struct Environment
{
    TestHome home;
    FakeClock clock{kSendTime, 5000};
    Environment() { ContinuousTime::Initialize(); }
};

} // namespace

class NativeCodecTest final : public QObject
{
    Q_OBJECT

private slots:
    void emptyCaptionIsHeaderOnly();
    void emptyCaptionCarriesCaptionHistory();
    void textCut_data();
    void textCut();
    void kindNormalised_data();
    void kindNormalised();
    void companionRecord_data();
    void companionRecord();
    void historyChoice_data();
    void historyChoice();
    void cachedBlockReusedUntilVersionChanges();
    void overflowKeepsFittingLinesAndCachesWholeBlock();
    void undoText_data();
    void undoText();

    void roundTripGivesBackEveryField();
    void timeField_data();
    void timeField();
    void lengthField_data();
    void lengthField();
    void recordList_data();
    void recordList();
    void oddByteCountReadsAsZeroHighByte();
    void otherGroupDroppedSilently();
    void sizeLimits_data();
    void sizeLimits();
    void illegalKind_data();
    void illegalKind();
    void illegalLoggingRateLimitedPerAddress();
};

void NativeCodecTest::emptyCaptionIsHeaderOnly()
{
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    quint32 sent = 0;
    const QByteArray datagram = codec.build(1, u"D", u"", kOwnAddress, &sent);
    QCOMPARE(datagram.size(), 28);
    QCOMPARE(asUnits(datagram), QStringLiteral("A45296789D0000"));
    QCOMPARE(sent, kSendTime);
    QCOMPARE(asUnits(codec.build(2, u"D", u"", kOwnAddress)).front(), QLatin1Char('B'));
}

void NativeCodecTest::emptyCaptionCarriesCaptionHistory()
{
    Environment env;
    FakeRecordHistory caption;
    CNativeCodec codec(&caption, nullptr);
    const QString newest = wireLine(QStringLiteral("10.0.0.2"), 1000, 1200, 'D', 0, QStringLiteral("new"));
    const QString older = wireLine(QStringLiteral("10.0.0.3"), 900, 950, 'D', 1, QStringLiteral("old"));
    caption.lines = {newest, older};
    caption.version = 100;
    const QByteArray datagram = codec.build(1, u"D", u"", kOwnAddress);
    QCOMPARE(asUnits(datagram), QStringLiteral("A45296789D0000\n") + newest + QLatin1Char('\n') + older);
    QCOMPARE(newest, QStringLiteral("0a0000020000100000001200D00003new"));
}

void NativeCodecTest::textCut_data()
{
    QTest::addColumn<int>("maxSize");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("keptUnits");
    QTest::addColumn<QString>("lengthField");

    QTest::newRow("800 units cut") << 1500 << QString(800, QLatin1Char('x')) << 736 << QStringLiteral("1472");
    QTest::newRow("exactly the limit")
        << 1500 << QString(736, QLatin1Char('x')) << 736 << QStringLiteral("1472");
    QTest::newRow("one over") << 1500 << QString(737, QLatin1Char('x')) << 736 << QStringLiteral("1472");
    QTest::newRow("short") << 1500 << QStringLiteral("hello") << 5 << QStringLiteral("0010");
    QTest::newRow("small maximum") << 100 << QString(100, QLatin1Char('x')) << 36 << QStringLiteral("0072");
    QTest::newRow("pair across the cut")
        << 1500 << QString(735, QLatin1Char('x')) + QStringLiteral(u"😀y") << 735 << QStringLiteral("1470");
    QTest::newRow("pair before the cut")
        << 1500 << QString(734, QLatin1Char('x')) + QStringLiteral(u"😀y") << 736 << QStringLiteral("1472");
}

void NativeCodecTest::textCut()
{
    QFETCH(int, maxSize);
    QFETCH(QString, text);
    QFETCH(int, keptUnits);
    QFETCH(QString, lengthField);
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    codec.setMaxMessageSize(maxSize);
    const QString units = asUnits(codec.build(1, u"D", text, kOwnAddress));
    QCOMPARE(units.mid(10, 4), lengthField);
    QCOMPARE(units.mid(14), text.left(keptUnits));
}

void NativeCodecTest::kindNormalised_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QChar>("sent");

    QTest::newRow("empty") << QString() << QChar(u'i');
    QTest::newRow("NUL first") << QStringLiteral(u"\0D") << QChar(u'i');
    QTest::newRow("tab first") << QStringLiteral("\tD") << QChar(u'-');
    QTest::newRow("0x1f") << QStringLiteral("\x1f") << QChar(u'-');
    QTest::newRow("blank kept") << QStringLiteral(" ") << QChar(u' ');
    QTest::newRow("letter") << QStringLiteral("D") << QChar(u'D');
    QTest::newRow("first character only") << QStringLiteral("Heartbeat") << QChar(u'H');
}

void NativeCodecTest::kindNormalised()
{
    QFETCH(QString, kind);
    QFETCH(QChar, sent);
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    QCOMPARE(asUnits(codec.build(1, kind, u"x", kOwnAddress)).at(9), sent);
}

void NativeCodecTest::companionRecord_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("withCompanion");
    QTest::addColumn<QString>("tail");

    // Own address, the send time twice, the other half's kind, flag '0', length in code units.
    const QString address = QStringLiteral("\nc0a800054529678945296789");
    QTest::newRow("former carries latter")
        << QStringLiteral("A") << true << address + QStringLiteral("B00003xyz");
    QTest::newRow("latter carries former")
        << QStringLiteral("B") << true << address + QStringLiteral("A00003xyz");
    QTest::newRow("no companion given") << QStringLiteral("A") << false << QString();
    QTest::newRow("other kinds carry none") << QStringLiteral("D") << true << QString();
}

void NativeCodecTest::companionRecord()
{
    QFETCH(QString, kind);
    QFETCH(bool, withCompanion);
    QFETCH(QString, tail);
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    const QString units =
        asUnits(withCompanion ? codec.build(1, kind, u"ab\r\n", kOwnAddress, nullptr, QStringView(u"xyz"))
                              : codec.build(1, kind, u"ab\r\n", kOwnAddress));
    QCOMPARE(units, header(kind.front(), 8) + QStringLiteral("ab\r\n") + tail);
}

void NativeCodecTest::historyChoice_data()
{
    QTest::addColumn<QString>("kinds");
    QTest::addColumn<QString>("histories"); // c: caption, k: contact

    QTest::newRow("every third heartbeat") << QStringLiteral("HHHHHH") << QStringLiteral("cckcck");
    QTest::newRow("one counter for all others") << QStringLiteral("HMLRFQ") << QStringLiteral("cckcck");
    QTest::newRow("fixed kinds do not count") << QStringLiteral("HDHCHEGU") << QStringLiteral("ccckkccc");
    QTest::newRow("pre-roll counts") << QStringLiteral("ABA") << QStringLiteral("cck");
    QTest::newRow("empty kind counts") << QStringLiteral("  ") << QStringLiteral("cc");
}

void NativeCodecTest::historyChoice()
{
    QFETCH(QString, kinds);
    QFETCH(QString, histories);
    Environment env;
    FakeRecordHistory caption;
    FakeRecordHistory contact;
    CNativeCodec codec(&caption, &contact);
    caption.lines = {wireLine(kPeer, 1, 1, 'D', 0, QStringLiteral("caption"))};
    contact.lines = {wireLine(kPeer, 1, 1, 'C', 0, QStringLiteral("contact"))};
    caption.version = contact.version = 1;
    for (qsizetype i = 0; i < kinds.size(); ++i) {
        const QString kind = kinds.at(i) == QLatin1Char(' ') ? QString() : QString(kinds.at(i));
        const QString units = asUnits(codec.build(1, kind, u"", kOwnAddress));
        const QString expected =
            histories.at(i) == QLatin1Char('c') ? caption.lines.first() : contact.lines.first();
        QVERIFY2(units.endsWith(QLatin1Char('\n') + expected),
                 qPrintable(QStringLiteral("datagram %1").arg(i)));
    }
    QCOMPARE(codec.messageCounter(), static_cast<int>(std::count_if(kinds.begin(), kinds.end(), [](QChar k) {
                 return !QStringLiteral("CDEGU").contains(k);
             })));
}

void NativeCodecTest::cachedBlockReusedUntilVersionChanges()
{
    Environment env;
    FakeRecordHistory caption;
    CNativeCodec codec(&caption, nullptr);
    const QString first = wireLine(kPeer, 1, 1, 'D', 0, QStringLiteral("first"));
    const QString second = wireLine(kPeer, 2, 2, 'D', 0, QStringLiteral("second"));

    // The versions present at construction count as current: nothing is repeated yet.
    caption.lines = {first};
    QCOMPARE(asUnits(codec.build(1, u"D", u"", kOwnAddress)), header(QLatin1Char('D'), 0));

    caption.version = 1;
    QCOMPARE(asUnits(codec.build(1, u"D", u"", kOwnAddress)), header(QLatin1Char('D'), 0) + u'\n' + first);
    // Same version: the block built for it is sent again, whatever the store holds now.
    caption.lines = {second, first};
    QCOMPARE(asUnits(codec.build(1, u"E", u"", kOwnAddress)), header(QLatin1Char('E'), 0) + u'\n' + first);

    caption.version = 2;
    QCOMPARE(asUnits(codec.build(1, u"D", u"", kOwnAddress)),
             header(QLatin1Char('D'), 0) + u'\n' + second + u'\n' + first);
}

void NativeCodecTest::overflowKeepsFittingLinesAndCachesWholeBlock()
{
    Environment env;
    FakeRecordHistory caption;
    CNativeCodec codec(&caption, nullptr);
    // Each repeated line is 31 + 100 units = 262 bytes: five fit after an empty text
    // (28 + 1310 bytes), only four after a text of 200 units (428 + 1048 = 1476 bytes).
    for (int i = 0; i < 5; ++i)
        caption.lines.append(wireLine(kPeer, i, i, 'D', 0, QString(100, QChar(u'a' + i))));
    const QString longText(200, QLatin1Char('t'));
    QString fourLines;
    for (int i = 0; i < 4; ++i)
        fourLines += u'\n' + caption.lines.at(i);
    const QString allLines = fourLines + u'\n' + caption.lines.at(4);

    caption.version = 7;
    QCOMPARE(asUnits(codec.build(1, u"D", longText, kOwnAddress)),
             header(QLatin1Char('D'), 400) + longText + fourLines);
    // The cache kept all five lines found while the version changed, not only those sent.
    caption.lines.clear();
    QCOMPARE(asUnits(codec.build(1, u"D", u"", kOwnAddress)), header(QLatin1Char('D'), 0) + allLines);

    // With the version unchanged an overflow sends what fits and leaves the cache alone.
    FakeRecordHistory history;
    CNativeCodec second(&history, nullptr);
    for (int i = 0; i < 5; ++i)
        history.lines.append(wireLine(kPeer, i, i, 'D', 0, QString(100, QChar(u'a' + i))));
    history.version = 1;
    QCOMPARE(asUnits(second.build(1, u"D", u"", kOwnAddress)), header(QLatin1Char('D'), 0) + allLines);
    QCOMPARE(asUnits(second.build(1, u"D", longText, kOwnAddress)),
             header(QLatin1Char('D'), 400) + longText + fourLines);
    history.lines.clear();
    QCOMPARE(asUnits(second.build(1, u"D", u"", kOwnAddress)), header(QLatin1Char('D'), 0) + allLines);

    // A datagram already full repeats nothing.
    const QByteArray full = second.build(1, u"D", QString(736, QLatin1Char('f')), kOwnAddress);
    QCOMPARE(full.size(), 1500);
}

void NativeCodecTest::undoText_data()
{
    QTest::addColumn<qint32>("firstTime");
    QTest::addColumn<int>("group");
    QTest::addColumn<qint32>("kind");
    QTest::addColumn<QString>("text");

    QTest::newRow("caption line") << 12345 << 1 << qint32('D') << QStringLiteral("   12345,A,D,10.0.0.2");
    QTest::newRow("kind 0") << 45296789 << 2 << 0 << QStringLiteral("45296789,B,i,10.0.0.2");
    QTest::newRow("control kind") << 0 << 26 << 5 << QStringLiteral("       0,Z,-,10.0.0.2");
    QTest::newRow("plain line") << 7 << 3 << qint32('i') << QStringLiteral("       7,C,i,10.0.0.2");
    QTest::newRow("negative time") << -5 << 1 << qint32('D') << QStringLiteral("      -5,A,D,10.0.0.2");
    QTest::newRow("wider than 8") << 123456789 << 1 << qint32('D')
                                  << QStringLiteral("123456789,A,D,10.0.0.2");
}

void NativeCodecTest::undoText()
{
    QFETCH(qint32, firstTime);
    QFETCH(int, group);
    QFETCH(qint32, kind);
    QFETCH(QString, text);
    QCOMPARE(CNativeCodec::FormatUndoText(firstTime, group, kind, QStringLiteral("10.0.0.2")), text);
}

void NativeCodecTest::roundTripGivesBackEveryField()
{
    Environment env;
    FakeRecordHistory caption;
    CNativeCodec sender(&caption, nullptr);
    caption.lines = {wireLine(QStringLiteral("10.1.2.3"), 45000000, 45000100, 'G', 0, QStringLiteral("a\nb")),
                     wireLine(QStringLiteral("255.0.128.9"), 99999999, 0, 'D', 1, QStringLiteral(u"字幕"))};
    caption.version = 3;
    quint32 sent = 0;
    const QByteArray datagram =
        sender.build(4, u"A", u"former\r\n", kOwnAddress, &sent, QStringView(u"latter, with comma\r\n"));
    env.clock.advance(250);
    const quint32 tick = ContinuousTime::SystemTimeToInt();

    CNativeCodec receiver(nullptr, nullptr);
    QList<TavrinRecord> records;
    QCOMPARE(receiver.TokenizeMessage(datagram, kPeer, 4, records), 4);
    QCOMPARE(records.size(), 4);
    for (const TavrinRecord &r : records) {
        QCOMPARE(r.receivedAt, kSendTime + 250);
        QCOMPARE(r.receivedTick, tick);
    }
    const TavrinRecord &main = records.at(0);
    QCOMPARE(main.kind, qint32('A'));
    QCOMPARE(main.flag, 0);
    QCOMPARE(main.address, kPeer);
    QCOMPARE(main.text, QStringLiteral("former\r\n"));
    QCOMPARE(main.firstTime, sent);
    QCOMPARE(main.secondTime, 0u);

    const TavrinRecord &companion = records.at(1);
    QCOMPARE(companion.kind, qint32('B'));
    QCOMPARE(companion.flag, 0);
    QCOMPARE(companion.address, kOwnAddress);
    QCOMPARE(companion.text, QStringLiteral("latter, with comma\r\n"));
    QCOMPARE(companion.firstTime, sent);
    QCOMPARE(companion.secondTime, sent);

    QCOMPARE(records.at(2).kind, qint32('G'));
    QCOMPARE(records.at(2).address, QStringLiteral("10.1.2.3"));
    QCOMPARE(records.at(2).text, QStringLiteral("a\nb"));
    QCOMPARE(records.at(2).firstTime, 45000000u);
    QCOMPARE(records.at(2).secondTime, 45000100u);
    QCOMPARE(records.at(3).kind, qint32('D'));
    QCOMPARE(records.at(3).flag, 1);
    QCOMPARE(records.at(3).address, QStringLiteral("255.0.128.9"));
    QCOMPARE(records.at(3).text, QStringLiteral(u"字幕"));
    QCOMPARE(records.at(3).firstTime, 99999999u);
    QCOMPARE(records.at(3).secondTime, 0u);
}

void NativeCodecTest::timeField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<quint32>("value");

    QTest::newRow("zero padded") << QStringLiteral("00012345") << true << 12345u;
    QTest::newRow("blank padded") << QStringLiteral("   12345") << true << 12345u;
    QTest::newRow("all blank") << QStringLiteral("        ") << true << 0u;
    QTest::newRow("largest") << QStringLiteral("99999999") << true << 99999999u;
    QTest::newRow("blank after a digit") << QStringLiteral("1 234567") << false << 0u;
    QTest::newRow("trailing blank") << QStringLiteral("1234567 ") << false << 0u;
    QTest::newRow("letter") << QStringLiteral("0001234x") << false << 0u;
    QTest::newRow("minus sign") << QStringLiteral("-0000001") << false << 0u;
    QTest::newRow("full-width digit") << QStringLiteral(u"0000000１") << false << 0u;
}

void NativeCodecTest::timeField()
{
    QFETCH(QString, field);
    QFETCH(bool, valid);
    QFETCH(quint32, value);
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    const QString datagram = QLatin1Char('A') + field + QStringLiteral("D0004hi");
    QList<TavrinRecord> records;
    QCOMPARE(codec.TokenizeMessage(asBytes(datagram), kPeer, 1, records), valid ? 1 : 0);
    const QStringList log = operationLogLines();
    if (valid) {
        QCOMPARE(records.at(0).firstTime, value);
        QCOMPARE(records.at(0).text, QStringLiteral("hi"));
        QCOMPARE(countLines(log, QStringLiteral("CUdpSockTavrin::TokenizeMessage() send-time error!")), 0);
    } else {
        QVERIFY(records.isEmpty());
        const qsizetype at =
            log.indexOf(QStringLiteral("CUdpSockTavrin::TokenizeMessage() send-time error!"));
        QVERIFY(at >= 0);
        QCOMPARE(log.value(at + 1), datagram);
    }
}

void NativeCodecTest::lengthField_data()
{
    QTest::addColumn<QString>("datagram");
    QTest::addColumn<QString>("text"); // null: dropped with the string error

    QTest::newRow("exact") << QStringLiteral("A45296789D0004hi") << QStringLiteral("hi");
    QTest::newRow("blank padded") << QStringLiteral("A45296789D  04hi") << QStringLiteral("hi");
    QTest::newRow("odd byte length") << QStringLiteral("A45296789D0005hi") << QStringLiteral("hi");
    QTest::newRow("shorter than the rest") << QStringLiteral("A45296789D0002hi") << QStringLiteral("h");
    QTest::newRow("letter") << QStringLiteral("A45296789D00x4hi") << QString();
    QTest::newRow("blank inside") << QStringLiteral("A45296789D0 04hi") << QString();
    QTest::newRow("runs past the end") << QStringLiteral("A45296789D0006hi") << QString();
    QTest::newRow("NUL inside the text") << QStringLiteral(u"A45296789D0010ab\0cd") << QString();
}

void NativeCodecTest::lengthField()
{
    QFETCH(QString, datagram);
    QFETCH(QString, text);
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    QList<TavrinRecord> records;
    const int count = codec.TokenizeMessage(asBytes(datagram), kPeer, 1, records);
    const QStringList log = operationLogLines();
    const qsizetype at = log.indexOf(QStringLiteral("CUdpSockTavrin::TokenizeMessage() string error!"));
    if (text.isNull()) {
        QCOMPARE(count, 0);
        QVERIFY(at >= 0);
        QCOMPARE(log.value(at + 1), datagram.left(datagram.indexOf(QChar(0))));
    } else {
        QCOMPARE(count, 1);
        QCOMPARE(records.at(0).text, text);
        QCOMPARE(at, -1);
    }
}

void NativeCodecTest::recordList_data()
{
    QTest::addColumn<QString>("tail");
    QTest::addColumn<int>("records");
    QTest::addColumn<QString>("firstAddress");

    // LF, address 1-8, sent 9-16, received 17-24, kind 25, flag 26, length 27-30, text from 31.
    const QString good = QStringLiteral("\n0a000002"
                                        "00001000"
                                        "00000011"
                                        "D0"
                                        "0003"
                                        "abc");
    const auto spoilt = [&good](int offset, const QString &field) {
        return QString(good).replace(offset, field.size(), field);
    };
    QTest::newRow("none") << QString() << 0 << QString();
    QTest::newRow("two") << good + good << 2 << QStringLiteral("10.0.0.2");
    QTest::newRow("empty text at the end")
        << good.left(27) + QStringLiteral("0000") << 1 << QStringLiteral("10.0.0.2");
    QTest::newRow("second runs past the end")
        << good + spoilt(27, QStringLiteral("0004")) << 1 << QStringLiteral("10.0.0.2");
    QTest::newRow("first runs past the end") << spoilt(27, QStringLiteral("0004")) << 0 << QString();
    QTest::newRow("no separator") << QLatin1Char('x') + good << 0 << QString();
    QTest::newRow("header cut short") << good + good.left(30) << 1 << QStringLiteral("10.0.0.2");
    QTest::newRow("bad hex") << spoilt(1, QStringLiteral("0g")) << 0 << QString();
    QTest::newRow("upper case and blank hex")
        << spoilt(1, QStringLiteral(" c0AA8FF")) << 1 << QStringLiteral("12.10.168.255");
    QTest::newRow("bad time") << spoilt(9, QStringLiteral("0001x000")) << 0 << QString();
    QTest::newRow("bad length") << spoilt(27, QStringLiteral("0 03")) << 0 << QString();
}

void NativeCodecTest::recordList()
{
    QFETCH(QString, tail);
    QFETCH(int, records);
    QFETCH(QString, firstAddress);
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    QList<TavrinRecord> out;
    QCOMPARE(codec.TokenizeMessage(asBytes(QStringLiteral("A45296789D0004hi") + tail), kPeer, 1, out),
             1 + records);
    QCOMPARE(out.at(0).text, QStringLiteral("hi"));
    if (records > 0) {
        QCOMPARE(out.at(1).address, firstAddress);
        QCOMPARE(out.at(1).firstTime, 1000u);
        QCOMPARE(out.at(1).secondTime, 11u);
        QCOMPARE(out.at(1).flag, 0);
    }
    // Malformed records end the list quietly.
    QCOMPARE(operationLogLines().filter(QStringLiteral("TokenizeMessage")).size(), 0);
}

void NativeCodecTest::oddByteCountReadsAsZeroHighByte()
{
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    QByteArray datagram = asBytes(u"A45296789D0004h");
    datagram.append('i');
    QList<TavrinRecord> records;
    QCOMPARE(codec.TokenizeMessage(datagram, kPeer, 1, records), 1);
    QCOMPARE(records.at(0).text, QStringLiteral("hi"));
}

void NativeCodecTest::otherGroupDroppedSilently()
{
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    const QByteArray datagram = codec.build(2, u"D", u"line", kOwnAddress);
    const int before = static_cast<int>(operationLogLines().size());
    QList<TavrinRecord> records;
    QCOMPARE(codec.TokenizeMessage(datagram, kPeer, 1, records), 0);
    QVERIFY(records.isEmpty());
    QCOMPARE(operationLogLines().size(), before);
    QCOMPARE(codec.TokenizeMessage(datagram, kPeer, 2, records), 1);
}

void NativeCodecTest::sizeLimits_data()
{
    QTest::addColumn<int>("byteCount");
    QTest::addColumn<int>("records");

    QTest::newRow("27 bytes") << 27 << 0;
    QTest::newRow("28 bytes") << 28 << 1;
    QTest::newRow("4096 bytes") << 4096 << 1;
    QTest::newRow("4097 bytes") << 4097 << 0;
}

void NativeCodecTest::sizeLimits()
{
    QFETCH(int, byteCount);
    QFETCH(int, records);
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    QByteArray datagram = asBytes(u"A45296789D0000");
    datagram.append(QByteArray(std::max(0, byteCount - 28), 'x'));
    datagram.truncate(byteCount);
    QList<TavrinRecord> out;
    QCOMPARE(codec.TokenizeMessage(datagram, kPeer, 1, out), records);
}

void NativeCodecTest::illegalKind_data()
{
    QTest::addColumn<QChar>("kind");
    QTest::addColumn<bool>("illegal");

    QTest::newRow("A") << QChar(u'A') << false;
    QTest::newRow("Z") << QChar(u'Z') << false;
    QTest::newRow("lower case") << QChar(u'd') << true;
    QTest::newRow("before A") << QChar(u'@') << true;
    QTest::newRow("after Z") << QChar(u'[') << true;
    QTest::newRow("full-width D") << QChar(u'Ｄ') << true;
    QTest::newRow("NUL") << QChar(u'\0') << true;
}

void NativeCodecTest::illegalKind()
{
    QFETCH(QChar, kind);
    QFETCH(bool, illegal);
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    QString datagram = QStringLiteral("A45296789D0000");
    datagram[9] = kind;
    QList<TavrinRecord> records;
    // Illegal is decided before the group: a datagram of another group is still counted.
    QCOMPARE(codec.TokenizeMessage(asBytes(datagram), kPeer, illegal ? 2 : 1, records), illegal ? 0 : 1);
    QCOMPARE(countLines(operationLogLines(), QStringLiteral("Illegal packet from 192.168.0.7 : 0")),
             illegal ? 1 : 0);
}

void NativeCodecTest::illegalLoggingRateLimitedPerAddress()
{
    Environment env;
    CNativeCodec codec(nullptr, nullptr);
    const QByteArray datagram = asBytes(u"A45296789d0000");
    QList<TavrinRecord> records;
    for (int i = 0; i < 120; ++i)
        QCOMPARE(codec.TokenizeMessage(datagram, QStringLiteral("10.0.0.1"), 1, records), 0);
    QCOMPARE(codec.TokenizeMessage(datagram, QStringLiteral("10.0.0.9"), 1, records), 0);

    const QStringList logged = operationLogLines().filter(QStringLiteral("Illegal packet from "));
    QStringList expected;
    for (int count : {0, 1, 2, 10, 20, 30, 40, 50, 60, 70, 80, 90})
        expected.append(QStringLiteral("Illegal packet from 10.0.0.1 : %1").arg(count));
    expected.append(QStringLiteral("Illegal packet from 10.0.0.9 : 0"));
    QCOMPARE(logged, expected);
}

QTEST_APPLESS_MAIN(NativeCodecTest)
#include "NativeCodecTest.moc"
