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
#include <optional>

namespace {

constexpr quint32 kSendTime = 45296789; // 12:34:56.789
const QString kOwnAddress = u"192.168.0.5"_qs;
const QString kPeer = u"192.168.0.7"_qs;

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

QString header(QChar kind, int byteLength)
{
    return u'A' + QString::number(kSendTime) + kind + QString::number(byteLength).rightJustified(4, u'0');
}

// The datagram a codec builds for group 1 from the own address, as code units.
QString built(CNativeCodec &codec, QStringView kind, QStringView text = u"")
{
    return asUnits(codec.build(1, kind, text, kOwnAddress));
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
    void init() { m_env.emplace(); }
    void cleanup() { m_env.reset(); }

    void emptyCaptionCarriesCaptionHistory()
    {
        FakeRecordHistory caption;
        CNativeCodec codec(&caption, nullptr);
        quint32 sent = 0;
        const QByteArray headerOnly = codec.build(1, u"D", u"", kOwnAddress, &sent);
        QCOMPARE(headerOnly.size(), 28);
        QCOMPARE(asUnits(headerOnly), u"A45296789D0000"_qs);
        QCOMPARE(sent, kSendTime);
        QCOMPARE(asUnits(codec.build(2, u"D", u"", kOwnAddress)).front(), QLatin1Char('B'));

        const QString newest = wireLine(u"10.0.0.2"_qs, 1000, 1200, 'D', 0, u"new"_qs);
        const QString older = wireLine(u"10.0.0.3"_qs, 900, 950, 'D', 1, u"old"_qs);
        QCOMPARE(newest, u"0a0000020000100000001200D00003new"_qs);
        caption.lines = {newest, older};
        caption.version = 100;
        QCOMPARE(built(codec, u"D"), u"A45296789D0000\n"_qs + newest + QLatin1Char('\n') + older);
    }

    void textCut_data()
    {
        QTest::addColumn<int>("maxSize");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("keptUnits");
        QTest::addColumn<QString>("lengthField");

        const auto row = [](const char *name, int maxSize, const QString &text, int kept, const char *field) {
            QTest::newRow(name) << maxSize << text << kept << QString::fromLatin1(field);
        };
        row("800 units cut", 1500, QString(800, u'x'), 736, "1472");
        row("exactly the limit", 1500, QString(736, u'x'), 736, "1472");
        row("one over", 1500, QString(737, u'x'), 736, "1472");
        row("short", 1500, u"hello"_qs, 5, "0010");
        row("small maximum", 100, QString(100, u'x'), 36, "0072");
        row("pair across the cut", 1500, QString(735, u'x') + u"😀y"_qs, 735, "1470");
        row("pair before the cut", 1500, QString(734, u'x') + u"😀y"_qs, 736, "1472");
    }

    void textCut()
    {
        QFETCH(int, maxSize);
        QFETCH(QString, text);
        QFETCH(int, keptUnits);
        QFETCH(QString, lengthField);
        CNativeCodec codec(nullptr, nullptr);
        codec.setMaxMessageSize(maxSize);
        const QString units = built(codec, u"D", text);
        QCOMPARE(units.mid(10, 4), lengthField);
        QCOMPARE(units.mid(14), text.left(keptUnits));
    }

    void kindNormalised_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QChar>("sent");

        QTest::newRow("empty") << QString() << QChar(u'i');
        QTest::newRow("NUL first") << u"\0D"_qs << QChar(u'i');
        QTest::newRow("tab first") << u"\tD"_qs << QChar(u'-');
        QTest::newRow("0x1f") << u"\x1f"_qs << QChar(u'-');
        QTest::newRow("blank kept") << u" "_qs << QChar(u' ');
        QTest::newRow("letter") << u"D"_qs << QChar(u'D');
        QTest::newRow("first character only") << u"Heartbeat"_qs << QChar(u'H');
    }

    void kindNormalised()
    {
        QFETCH(QString, kind);
        QFETCH(QChar, sent);
        CNativeCodec codec(nullptr, nullptr);
        QCOMPARE(built(codec, kind, u"x").at(9), sent);
    }

    void companionRecord_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("withCompanion");
        QTest::addColumn<QString>("tail");

        // Own address, the send time twice, the other half's kind, flag '0', length in code units.
        const QString address = u"\nc0a800054529678945296789"_qs;
        QTest::newRow("former carries latter") << u"A"_qs << true << address + u"B00003xyz"_qs;
        QTest::newRow("latter carries former") << u"B"_qs << true << address + u"A00003xyz"_qs;
        QTest::newRow("no companion given") << u"A"_qs << false << QString();
        QTest::newRow("other kinds carry none") << u"D"_qs << true << QString();
    }

    void companionRecord()
    {
        QFETCH(QString, kind);
        QFETCH(bool, withCompanion);
        QFETCH(QString, tail);
        CNativeCodec codec(nullptr, nullptr);
        const QString units =
            asUnits(withCompanion ? codec.build(1, kind, u"ab\r\n", kOwnAddress, nullptr, QStringView(u"xyz"))
                                  : codec.build(1, kind, u"ab\r\n", kOwnAddress));
        QCOMPARE(units, header(kind.front(), 8) + u"ab\r\n"_qs + tail);
    }

    void historyChoice_data()
    {
        QTest::addColumn<QString>("kinds");
        QTest::addColumn<QString>("histories"); // c: caption, k: contact

        QTest::newRow("every third heartbeat") << u"HHHHHH"_qs << u"cckcck"_qs;
        QTest::newRow("one counter for all others") << u"HMLRFQ"_qs << u"cckcck"_qs;
        QTest::newRow("fixed kinds do not count") << u"HDHCHEGU"_qs << u"ccckkccc"_qs;
        QTest::newRow("pre-roll counts") << u"ABA"_qs << u"cck"_qs;
        QTest::newRow("empty kind counts") << u"  "_qs << u"cc"_qs;
    }

    void historyChoice()
    {
        QFETCH(QString, kinds);
        QFETCH(QString, histories);
        FakeRecordHistory caption;
        FakeRecordHistory contact;
        CNativeCodec codec(&caption, &contact);
        caption.lines = {wireLine(kPeer, 1, 1, 'D', 0, u"caption"_qs)};
        contact.lines = {wireLine(kPeer, 1, 1, 'C', 0, u"contact"_qs)};
        caption.version = contact.version = 1;
        for (qsizetype i = 0; i < kinds.size(); ++i) {
            const QString kind = kinds.at(i) == QLatin1Char(' ') ? QString() : QString(kinds.at(i));
            const QString units = built(codec, kind);
            const QString expected =
                histories.at(i) == QLatin1Char('c') ? caption.lines.first() : contact.lines.first();
            QVERIFY2(units.endsWith(QLatin1Char('\n') + expected), qPrintable(u"datagram %1"_qs.arg(i)));
        }
        QCOMPARE(codec.messageCounter(),
                 static_cast<int>(std::count_if(kinds.begin(), kinds.end(),
                                                [](QChar k) { return !u"CDEGU"_qs.contains(k); })));
    }

    void cachedBlockReusedUntilVersionChanges()
    {
        FakeRecordHistory caption;
        CNativeCodec codec(&caption, nullptr);
        const QString first = wireLine(kPeer, 1, 1, 'D', 0, u"first"_qs);
        const QString second = wireLine(kPeer, 2, 2, 'D', 0, u"second"_qs);

        // The versions present at construction count as current: nothing is repeated yet.
        caption.lines = {first};
        QCOMPARE(built(codec, u"D"), header(u'D', 0));

        caption.version = 1;
        QCOMPARE(built(codec, u"D"), header(u'D', 0) + u'\n' + first);
        // Same version: the block built for it is sent again, whatever the store holds now.
        caption.lines = {second, first};
        QCOMPARE(built(codec, u"E"), header(u'E', 0) + u'\n' + first);

        caption.version = 2;
        QCOMPARE(built(codec, u"D"), header(u'D', 0) + u'\n' + second + u'\n' + first);
    }

    void overflowKeepsFittingLinesAndCachesWholeBlock()
    {
        FakeRecordHistory caption;
        CNativeCodec codec(&caption, nullptr);
        // Each repeated line is 31 + 100 units = 262 bytes: five fit after an empty text
        // (28 + 1310 bytes), only four after a text of 200 units (428 + 1048 = 1476 bytes).
        const auto fill = [](FakeRecordHistory &history) {
            for (int i = 0; i < 5; ++i)
                history.lines.append(wireLine(kPeer, i, i, 'D', 0, QString(100, QChar(u'a' + i))));
        };
        fill(caption);
        const QString longText(200, QLatin1Char('t'));
        QString fourLines;
        for (int i = 0; i < 4; ++i)
            fourLines += u'\n' + caption.lines.at(i);
        const QString allLines = fourLines + u'\n' + caption.lines.at(4);

        caption.version = 7;
        QCOMPARE(built(codec, u"D", longText), header(u'D', 400) + longText + fourLines);
        // The cache kept all five lines found while the version changed, not only those sent.
        caption.lines.clear();
        QCOMPARE(built(codec, u"D"), header(u'D', 0) + allLines);

        // With the version unchanged an overflow sends what fits and leaves the cache alone.
        FakeRecordHistory history;
        CNativeCodec second(&history, nullptr);
        fill(history);
        history.version = 1;
        QCOMPARE(built(second, u"D"), header(u'D', 0) + allLines);
        QCOMPARE(built(second, u"D", longText), header(u'D', 400) + longText + fourLines);
        history.lines.clear();
        QCOMPARE(built(second, u"D"), header(u'D', 0) + allLines);

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

        QTest::newRow("caption line") << 12345 << 1 << qint32('D') << u"   12345,A,D,10.0.0.2"_qs;
        QTest::newRow("kind 0") << 45296789 << 2 << 0 << u"45296789,B,i,10.0.0.2"_qs;
        QTest::newRow("control kind") << 0 << 26 << 5 << u"       0,Z,-,10.0.0.2"_qs;
        QTest::newRow("plain line") << 7 << 3 << qint32('i') << u"       7,C,i,10.0.0.2"_qs;
        QTest::newRow("negative time") << -5 << 1 << qint32('D') << u"      -5,A,D,10.0.0.2"_qs;
        QTest::newRow("wider than 8") << 123456789 << 1 << qint32('D') << u"123456789,A,D,10.0.0.2"_qs;
    }

    void undoText()
    {
        QFETCH(qint32, firstTime);
        QFETCH(int, group);
        QFETCH(qint32, kind);
        QFETCH(QString, text);
        QCOMPARE(CNativeCodec::FormatUndoText(firstTime, group, kind, u"10.0.0.2"_qs), text);
    }

    void roundTripGivesBackEveryField()
    {
        FakeRecordHistory caption;
        CNativeCodec sender(&caption, nullptr);
        caption.lines = {wireLine(u"10.1.2.3"_qs, 45000000, 45000100, 'G', 0, u"a\nb"_qs),
                         wireLine(u"255.0.128.9"_qs, 99999999, 0, 'D', 1, u"字幕"_qs)};
        caption.version = 3;
        quint32 sent = 0;
        const QByteArray datagram =
            sender.build(4, u"A", u"former\r\n", kOwnAddress, &sent, QStringView(u"latter, with comma\r\n"));
        QCOMPARE(sent, kSendTime);
        m_env->clock.advance(250);
        const quint32 tick = ContinuousTime::SystemTimeToInt();

        CNativeCodec receiver(nullptr, nullptr);
        QList<TavrinRecord> records;
        QCOMPARE(receiver.TokenizeMessage(datagram, kPeer, 4, records), 4);
        QStringList fields;
        for (const TavrinRecord &r : records) {
            QCOMPARE(r.receivedAt, kSendTime + 250);
            QCOMPARE(r.receivedTick, tick);
            fields << u"%1 %2 %3 %4 %5 %6"_qs.arg(QChar(char16_t(r.kind)), QString::number(r.flag), r.address,
                                                  QString::number(r.firstTime), QString::number(r.secondTime),
                                                  r.text);
        }
        QCOMPARE(fields, (QStringList{u"A 0 192.168.0.7 45296789 0 former\r\n"_qs,
                                      u"B 0 192.168.0.5 45296789 45296789 latter, with comma\r\n"_qs,
                                      u"G 0 10.1.2.3 45000000 45000100 a\nb"_qs,
                                      u"D 1 255.0.128.9 99999999 0 字幕"_qs}));
    }

    void headerFields_data()
    {
        QTest::addColumn<QString>("datagram");
        QTest::addColumn<quint32>("firstTime");
        QTest::addColumn<QString>("text");  // the decoded text
        QTest::addColumn<QString>("error"); // or the error logged, with the datagram's text after it

        const QString time = u"CUdpSockTavrin::TokenizeMessage() send-time error!"_qs;
        const QString length = u"CUdpSockTavrin::TokenizeMessage() string error!"_qs;
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
        CNativeCodec codec(nullptr, nullptr);
        QList<TavrinRecord> records;
        QCOMPARE(codec.TokenizeMessage(asBytes(datagram), kPeer, 1, records), error.isEmpty() ? 1 : 0);
        const QStringList log = operationLogLines();
        if (error.isEmpty()) {
            QCOMPARE(records.at(0).firstTime, firstTime);
            QCOMPARE(records.at(0).text, text);
            QVERIFY(log.filter(u"TokenizeMessage"_qs).isEmpty());
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
        const QString good = u"\n0a0000020000100000000011D00003abc"_qs;
        const auto spoilt = [&good](int offset, const QString &field) {
            return QString(good).replace(offset, field.size(), field);
        };
        QTest::newRow("none") << QString() << 0 << QString();
        QTest::newRow("two") << good + good << 2 << u"10.0.0.2"_qs;
        QTest::newRow("empty text at the end") << good.left(27) + u"0000"_qs << 1 << u"10.0.0.2"_qs;
        QTest::newRow("second runs past the end") << good + spoilt(27, u"0004"_qs) << 1 << u"10.0.0.2"_qs;
        QTest::newRow("first runs past the end") << spoilt(27, u"0004"_qs) << 0 << QString();
        QTest::newRow("no separator") << QLatin1Char('x') + good << 0 << QString();
        QTest::newRow("header cut short") << good + good.left(30) << 1 << u"10.0.0.2"_qs;
        QTest::newRow("bad hex") << spoilt(1, u"0g"_qs) << 0 << QString();
        QTest::newRow("upper case and blank hex") << spoilt(1, u" c0AA8FF"_qs) << 1 << u"12.10.168.255"_qs;
        QTest::newRow("bad time") << spoilt(9, u"0001x000"_qs) << 0 << QString();
        QTest::newRow("bad length") << spoilt(27, u"0 03"_qs) << 0 << QString();
    }

    void recordList()
    {
        QFETCH(QString, tail);
        QFETCH(int, records);
        QFETCH(QString, firstAddress);
        CNativeCodec codec(nullptr, nullptr);
        QList<TavrinRecord> out;
        QCOMPARE(codec.TokenizeMessage(asBytes(u"A45296789D0004hi"_qs + tail), kPeer, 1, out), 1 + records);
        QCOMPARE(out.at(0).text, u"hi"_qs);
        if (records > 0) {
            QCOMPARE(out.at(1).address, firstAddress);
            QCOMPARE(out.at(1).firstTime, 1000u);
            QCOMPARE(out.at(1).secondTime, 11u);
            QCOMPARE(out.at(1).flag, 0);
        }
        // Malformed records end the list quietly.
        QCOMPARE(operationLogLines().filter(u"TokenizeMessage"_qs).size(), 0);
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
        const QString illegal = u"Illegal packet from 192.168.0.7 : 0"_qs;
        for (const QChar kind : {u'A', u'Z', u'd', u'@', u'[', u'Ｄ', u'\0'}) {
            const bool legal = kind >= u'A' && kind <= u'Z';
            QTest::addRow("kind %04x", kind.unicode())
                << asBytes(u"A45296789"_qs + kind + u"0000"_qs) << (legal ? 1 : 2) << (legal ? 1 : 0)
                << QString() << (legal ? QString() : illegal);
        }
    }

    void droppedOrKept()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, ownGroup);
        QFETCH(int, records);
        QFETCH(QString, text);
        QFETCH(QString, logged);
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
        CNativeCodec codec(nullptr, nullptr);
        const QByteArray illegal = asBytes(u"A45296789d0000");
        QList<TavrinRecord> records;
        for (int i = 0; i < 120; ++i)
            QCOMPARE(codec.TokenizeMessage(illegal, u"10.0.0.1"_qs, 1, records), 0);
        QStringList expected;
        for (int count : {0, 1, 2, 10, 20, 30, 40, 50, 60, 70, 80, 90})
            expected.append(u"Illegal packet from 10.0.0.1 : %1"_qs.arg(count));
        QCOMPARE(operationLogLines().filter(u"Illegal packet from "_qs), expected);

        // Forged source addresses without end: the senders past the table share one count, logged at
        // 0, 1, 2, 10, 20 … 90, and a sender in the table keeps its own.
        const qsizetype senders = CNativeCodec::kMaxIllegalSources + 1000;
        for (qsizetype i = 1; i < senders; ++i)
            QCOMPARE(codec.TokenizeMessage(illegal, u"10.%1.%2.1"_qs.arg(i / 256).arg(i % 256), 1, records),
                     0);
        QCOMPARE(codec.TokenizeMessage(illegal, u"10.0.1.1"_qs, 1, records), 0);
        const QStringList log = operationLogLines().filter(u"Illegal packet from "_qs);
        QCOMPARE(log.filter(QRegularExpression(u" : 0$"_qs)).size(), CNativeCodec::kMaxIllegalSources + 1);
        QCOMPARE(log.size(), expected.size() + CNativeCodec::kMaxIllegalSources - 1 + 12 + 1);
        QVERIFY(log.contains(u"Illegal packet from 10.0.1.1 : 1"_qs));
        QVERIFY(log.contains(u"Illegal packet from 10.1.90.1 : 90"_qs));
    }

private:
    std::optional<Environment> m_env;
};

QTEST_APPLESS_MAIN(NativeCodecTest)
#include "NativeCodecTest.moc"
