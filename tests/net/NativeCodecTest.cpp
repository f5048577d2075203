#include "FakeClock.h"
#include "TestHome.h"

#include "core/ContinuousTime.h"
#include "net/CLineRecord.h"
#include "net/CNativeCodec.h"
#include "timeline/CReceivedMainData.h"
#include "timeline/IRecordHistory.h"

#include <QRegularExpression>
#include <QTest>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr quint32 kSendTime = 45296789; // 12:34:56.789
const QString kOwnAddress = QStringLiteral("192.168.0.5");
const QString kPeer = QStringLiteral("192.168.0.7");

// A history whose lines and version the test sets by hand; the two change independently, so a
// test can tell a cached block from a rebuilt one by the bytes sent.
class FakeRecordHistory final : public IRecordHistory
{
public:
    qint64 version = 0;
    QStringList lines; // wire forms, newest first
    qint64 historyVersion() const override { return version; }
    void newestWireLines(int max, QStringList &out) const override { out += lines.mid(0, max); }
};

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

// A stored line's wire form, as the caption store keeps it.
QString wireLine(const QString &address, quint32 sent, quint32 received, qint32 type, qint32 flag,
                 const QString &text)
{
    CReceivedMainData record =
        CLineRecord::make(text, type, flag, {address, address, sent, 0, 0, received, 0}, 1, 1);
    record.FormatCache();
    return record.strCache;
}

QString header(QChar kind, int byteLength, QChar group = QLatin1Char('A'))
{
    return group + QString::number(kSendTime) + kind +
           QString::number(byteLength).rightJustified(4, QLatin1Char('0'));
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
    void emptyCaptionCarriesCaptionHistory()
    {
        Environment env;
        FakeRecordHistory caption;
        CNativeCodec codec(&caption, nullptr);
        quint32 sent = 0;
        const QByteArray headerOnly = codec.build(1, u"D", u"", kOwnAddress, &sent);
        QCOMPARE(headerOnly.size(), 28);
        QCOMPARE(asUnits(headerOnly), QStringLiteral("A45296789D0000"));
        QCOMPARE(sent, kSendTime);
        QCOMPARE(asUnits(codec.build(2, u"D", u"", kOwnAddress)).front(), QLatin1Char('B'));

        const QString newest =
            wireLine(QStringLiteral("10.0.0.2"), 1000, 1200, 'D', 0, QStringLiteral("new"));
        const QString older = wireLine(QStringLiteral("10.0.0.3"), 900, 950, 'D', 1, QStringLiteral("old"));
        QCOMPARE(newest, QStringLiteral("0a0000020000100000001200D00003new"));
        caption.lines = {newest, older};
        caption.version = 100;
        QCOMPARE(asUnits(codec.build(1, u"D", u"", kOwnAddress)),
                 QStringLiteral("A45296789D0000\n") + newest + QLatin1Char('\n') + older);
    }

    void textCut_data()
    {
        QTest::addColumn<int>("maxSize");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("keptUnits");
        QTest::addColumn<QString>("lengthField");

        QTest::newRow("800 units cut")
            << 1500 << QString(800, QLatin1Char('x')) << 736 << QStringLiteral("1472");
        QTest::newRow("exactly the limit")
            << 1500 << QString(736, QLatin1Char('x')) << 736 << QStringLiteral("1472");
        QTest::newRow("one over") << 1500 << QString(737, QLatin1Char('x')) << 736 << QStringLiteral("1472");
        QTest::newRow("short") << 1500 << QStringLiteral("hello") << 5 << QStringLiteral("0010");
        QTest::newRow("small maximum")
            << 100 << QString(100, QLatin1Char('x')) << 36 << QStringLiteral("0072");
        QTest::newRow("pair across the cut") << 1500 << QString(735, QLatin1Char('x')) + QStringLiteral(u"😀y")
                                             << 735 << QStringLiteral("1470");
        QTest::newRow("pair before the cut") << 1500 << QString(734, QLatin1Char('x')) + QStringLiteral(u"😀y")
                                             << 736 << QStringLiteral("1472");
    }

    void textCut()
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

    void kindNormalised_data()
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

    void kindNormalised()
    {
        QFETCH(QString, kind);
        QFETCH(QChar, sent);
        Environment env;
        CNativeCodec codec(nullptr, nullptr);
        QCOMPARE(asUnits(codec.build(1, kind, u"x", kOwnAddress)).at(9), sent);
    }

    void companionRecord_data()
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

    void companionRecord()
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

    void historyChoice_data()
    {
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<QString>("histories"); // c: caption, k: contact

        QTest::newRow("every third heartbeat") << QStringLiteral("HHHHHH") << QStringLiteral("cckcck");
        QTest::newRow("one counter for all others") << QStringLiteral("HMLRFQ") << QStringLiteral("cckcck");
        QTest::newRow("fixed kinds do not count") << QStringLiteral("HDHCHEGU") << QStringLiteral("ccckkccc");
        QTest::newRow("pre-roll counts") << QStringLiteral("ABA") << QStringLiteral("cck");
        QTest::newRow("empty kind counts") << QStringLiteral("  ") << QStringLiteral("cc");
    }

    void historyChoice()
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
        QCOMPARE(codec.messageCounter(),
                 static_cast<int>(std::count_if(kinds.begin(), kinds.end(), [](QChar k) {
                     return !QStringLiteral("CDEGU").contains(k);
                 })));
    }

    void cachedBlockReusedUntilVersionChanges()
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
        QCOMPARE(asUnits(codec.build(1, u"D", u"", kOwnAddress)),
                 header(QLatin1Char('D'), 0) + u'\n' + first);
        // Same version: the block built for it is sent again, whatever the store holds now.
        caption.lines = {second, first};
        QCOMPARE(asUnits(codec.build(1, u"E", u"", kOwnAddress)),
                 header(QLatin1Char('E'), 0) + u'\n' + first);

        caption.version = 2;
        QCOMPARE(asUnits(codec.build(1, u"D", u"", kOwnAddress)),
                 header(QLatin1Char('D'), 0) + u'\n' + second + u'\n' + first);
    }

    void overflowKeepsFittingLinesAndCachesWholeBlock()
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

    void undoText_data()
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
        QTest::newRow("wider than 8")
            << 123456789 << 1 << qint32('D') << QStringLiteral("123456789,A,D,10.0.0.2");
    }

    void undoText()
    {
        QFETCH(qint32, firstTime);
        QFETCH(int, group);
        QFETCH(qint32, kind);
        QFETCH(QString, text);
        QCOMPARE(CNativeCodec::FormatUndoText(firstTime, group, kind, QStringLiteral("10.0.0.2")), text);
    }

    void roundTripGivesBackEveryField()
    {
        Environment env;
        FakeRecordHistory caption;
        CNativeCodec sender(&caption, nullptr);
        caption.lines = {
            wireLine(QStringLiteral("10.1.2.3"), 45000000, 45000100, 'G', 0, QStringLiteral("a\nb")),
            wireLine(QStringLiteral("255.0.128.9"), 99999999, 0, 'D', 1, QStringLiteral(u"字幕"))};
        caption.version = 3;
        quint32 sent = 0;
        const QByteArray datagram =
            sender.build(4, u"A", u"former\r\n", kOwnAddress, &sent, QStringView(u"latter, with comma\r\n"));
        QCOMPARE(sent, kSendTime);
        env.clock.advance(250);
        const quint32 tick = ContinuousTime::SystemTimeToInt();

        CNativeCodec receiver(nullptr, nullptr);
        QList<TavrinRecord> records;
        QCOMPARE(receiver.TokenizeMessage(datagram, kPeer, 4, records), 4);
        QStringList fields;
        for (const TavrinRecord &r : records) {
            QCOMPARE(r.receivedAt, kSendTime + 250);
            QCOMPARE(r.receivedTick, tick);
            fields << QStringLiteral("%1 %2 %3 %4 %5 %6")
                          .arg(QChar(char16_t(r.kind)))
                          .arg(r.flag)
                          .arg(r.address)
                          .arg(r.firstTime)
                          .arg(r.secondTime)
                          .arg(r.text);
        }
        QCOMPARE(fields,
                 (QStringList{QStringLiteral("A 0 192.168.0.7 45296789 0 former\r\n"),
                              QStringLiteral("B 0 192.168.0.5 45296789 45296789 latter, with comma\r\n"),
                              QStringLiteral("G 0 10.1.2.3 45000000 45000100 a\nb"),
                              QStringLiteral(u"D 1 255.0.128.9 99999999 0 字幕")}));
    }

    void headerFields_data()
    {
        QTest::addColumn<QString>("datagram");
        QTest::addColumn<quint32>("firstTime");
        QTest::addColumn<QString>("text");  // the decoded text
        QTest::addColumn<QString>("error"); // or the error logged, with the datagram's text after it

        const QString time = QStringLiteral("CUdpSockTavrin::TokenizeMessage() send-time error!");
        const QString length = QStringLiteral("CUdpSockTavrin::TokenizeMessage() string error!");
        const auto row = [](const char *name, const char16_t *datagram, quint32 firstTime,
                            const char16_t *text, const QString &error = {}) {
            QTest::newRow(name) << QString::fromUtf16(datagram) << firstTime << QString::fromUtf16(text)
                                << error;
        };
        row("zero padded time", u"A00012345D0004hi", 12345, u"hi");
        row("blank padded time", u"A   12345D0004hi", 12345, u"hi");
        row("all blank time", u"A        D0004hi", 0, u"hi");
        row("largest time", u"A99999999D0004hi", 99999999, u"hi");
        row("blank after a digit", u"A1 234567D0004hi", 0, u"", time);
        row("trailing blank", u"A1234567 D0004hi", 0, u"", time);
        row("letter in the time", u"A0001234xD0004hi", 0, u"", time);
        row("minus sign", u"A-0000001D0004hi", 0, u"", time);
        row("full-width digit", u"A0000000１D0004hi", 0, u"", time);
        row("blank padded length", u"A45296789D  04hi", 45296789, u"hi");
        row("odd byte length", u"A45296789D0005hi", 45296789, u"hi");
        row("length shorter than the rest", u"A45296789D0002hi", 45296789, u"h");
        row("letter in the length", u"A45296789D00x4hi", 0, u"", length);
        row("blank inside the length", u"A45296789D0 04hi", 0, u"", length);
        row("length runs past the end", u"A45296789D0006hi", 0, u"", length);
        row("NUL inside the text", u"A45296789D0010ab\0cd", 0, u"", length);
    }

    void headerFields()
    {
        QFETCH(QString, datagram);
        QFETCH(quint32, firstTime);
        QFETCH(QString, text);
        QFETCH(QString, error);
        Environment env;
        CNativeCodec codec(nullptr, nullptr);
        QList<TavrinRecord> records;
        QCOMPARE(codec.TokenizeMessage(asBytes(datagram), kPeer, 1, records), error.isEmpty() ? 1 : 0);
        const QStringList log = operationLogLines();
        if (error.isEmpty()) {
            QCOMPARE(records.at(0).firstTime, firstTime);
            QCOMPARE(records.at(0).text, text);
            QVERIFY(log.filter(QStringLiteral("TokenizeMessage")).isEmpty());
        } else {
            QVERIFY(records.isEmpty());
            QCOMPARE(log.mid(log.indexOf(error)),
                     (QStringList{error, datagram.left(datagram.indexOf(QChar(0)))}));
        }
    }

    void recordList_data()
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

    void recordList()
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

    void droppedOrKept_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("ownGroup");
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("logged");

        const QByteArray header = asBytes(u"A45296789D0000");
        QTest::newRow("27 bytes") << header.left(27) << 1 << 0 << QString() << QString();
        QTest::newRow("28 bytes") << header << 1 << 1 << QString() << QString();
        QTest::newRow("4096 bytes") << header + QByteArray(4096 - 28, 'x') << 1 << 1 << QString()
                                    << QString();
        QTest::newRow("4097 bytes") << header + QByteArray(4097 - 28, 'x') << 1 << 0 << QString()
                                    << QString();
        // An odd last byte reads as a code unit with a zero high byte.
        QTest::newRow("odd byte count")
            << asBytes(u"A45296789D0004h") + QByteArray("i") << 1 << 1 << u"hi"_qs << QString();
        // Members of another group share the port but never see each other's datagrams.
        QTest::newRow("other group") << asBytes(u"B45296789D0000") << 1 << 0 << QString() << QString();
        // A kind outside A-Z is illegal, decided before the group: another group's is counted too.
        const QString illegal = QStringLiteral("Illegal packet from 192.168.0.7 : 0");
        for (const QChar kind : {u'A', u'Z', u'd', u'@', u'[', u'Ｄ', u'\0'}) {
            const bool legal = kind >= u'A' && kind <= u'Z';
            QTest::addRow("kind %04x", kind.unicode())
                << asBytes(QStringLiteral("A45296789") + kind + QStringLiteral("0000")) << (legal ? 1 : 2)
                << (legal ? 1 : 0) << QString() << (legal ? QString() : illegal);
        }
    }

    void droppedOrKept()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, ownGroup);
        QFETCH(int, records);
        QFETCH(QString, text);
        QFETCH(QString, logged);
        Environment env;
        CNativeCodec codec(nullptr, nullptr);
        QList<TavrinRecord> out;
        const qsizetype before = operationLogLines().size();
        // Bytes after the datagram that no decoding may read.
        const QByteArray padded = datagram + QByteArray("\x55\xAA", 2);
        QCOMPARE(codec.TokenizeMessage(QByteArrayView(padded).first(datagram.size()), kPeer, ownGroup, out),
                 records);
        QCOMPARE(out.value(0).text, text);
        QCOMPARE(operationLogLines().mid(before), logged.isEmpty() ? QStringList() : QStringList{logged});
    }

    void illegalLoggingRateLimitedPerAddress()
    {
        Environment env;
        CNativeCodec codec(nullptr, nullptr);
        const QByteArray illegal = asBytes(u"A45296789d0000");
        QList<TavrinRecord> records;
        for (int i = 0; i < 120; ++i)
            QCOMPARE(codec.TokenizeMessage(illegal, QStringLiteral("10.0.0.1"), 1, records), 0);
        QStringList expected;
        for (int count : {0, 1, 2, 10, 20, 30, 40, 50, 60, 70, 80, 90})
            expected.append(QStringLiteral("Illegal packet from 10.0.0.1 : %1").arg(count));
        QCOMPARE(operationLogLines().filter(QStringLiteral("Illegal packet from ")), expected);

        // Forged source addresses without end: the senders past the table share one count, logged at
        // 0, 1, 2, 10, 20 … 90, and a sender in the table keeps its own.
        const qsizetype senders = CNativeCodec::kMaxIllegalSources + 1000;
        for (qsizetype i = 1; i < senders; ++i)
            QCOMPARE(codec.TokenizeMessage(illegal, QStringLiteral("10.%1.%2.1").arg(i / 256).arg(i % 256), 1,
                                           records),
                     0);
        QCOMPARE(codec.TokenizeMessage(illegal, QStringLiteral("10.0.1.1"), 1, records), 0);
        const QStringList log = operationLogLines().filter(QStringLiteral("Illegal packet from "));
        QCOMPARE(log.filter(QRegularExpression(QStringLiteral(" : 0$"))).size(),
                 CNativeCodec::kMaxIllegalSources + 1);
        QCOMPARE(log.size(), expected.size() + CNativeCodec::kMaxIllegalSources - 1 + 12 + 1);
        QVERIFY(log.contains(QStringLiteral("Illegal packet from 10.0.1.1 : 1")));
        QVERIFY(log.contains(QStringLiteral("Illegal packet from 10.1.90.1 : 90")));
    }
};

QTEST_APPLESS_MAIN(NativeCodecTest)
#include "NativeCodecTest.moc"
