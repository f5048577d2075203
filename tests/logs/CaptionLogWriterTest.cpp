#include "TestFiles.h"
#include "TestHome.h"
#include "core/CLogFile.h"
#include "logs/CCaptionLogWriter.h"
#include "logs/CSubtitles.h"
#include "logs/CTranscriptFile.h"
#include "logs/IDisplayLogHost.h"
#include "timeline/ReceivedMain.h"

#include <QTest>

namespace {

// The owner's side: the numbers read at creation and the last logged serial.
class LogHost final : public IDisplayLogHost
{
public:
    int lines = 10;
    int save = 100;
    int last = 0;

    int displayLines() const override { return lines; }
    int linesPerLogWrite() const override { return save; }
    int lastLoggedLine() const override { return last; }
    void setLastLoggedLine(int serial) override { last = serial; }
};

const QString kTypist = u"127.0.0.5"_qs;

// A store filled with the start-up blanks the way the main window does it, and the two logs on a
// hand-set clock in a folder of the test's own home.
class Fixture final
{
public:
    explicit Fixture(int lines = 10, int save = 100, int keep = 2000)
    {
        host.lines = lines;
        host.save = save;
        store.Configure(keep, lines);
        for (int i = 0; i < lines; ++i)
            store.AddString(QString(), u"127.0.0.1"_qs, 'i');
        // The main window counts the blanks as logged by their number.
        host.last = lines;
        const QString folder = home.path() + u"/logs"_qs;
        displayLog.SetFolder(folder);
        displayLog.SetPattern(u"log_%Y%m%d_%H%M%S_display.txt"_qs);
        contactLog.SetFolder(folder);
        contactLog.SetPattern(u"log_%Y%m%d_%H%M%S_chat.txt"_qs);
    }

    CReceivedMainData record(const QString &text)
    {
        CReceivedMainData r;
        r.strRaw = text;
        r.strIpAddress = kTypist;
        r.strIpAddressSender = kTypist;
        r.nTimeSent = ++m_sent;
        r.nType = 'D';
        return r;
    }

    // A caption typed and shown: stored, then handed to the log as the controller does.
    void caption(const QString &text)
    {
        store.AppendData(record(text));
        writer.displayLogRecord(*store.at(store.count() - 1));
    }

    void captions(int from, int count)
    {
        for (int i = from; i < from + count; ++i)
            caption(u"c%1"_qs.arg(i));
    }

    // The display log's lines after the start banner (without their CR LF).
    QStringList logged() const
    {
        QStringList lines = readUtf16File(displayLog.GetPath()).split(u"\r\n"_qs);
        if (!lines.isEmpty())
            lines.removeFirst();
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        return lines;
    }

    static QStringList names(int from, int count)
    {
        QStringList out;
        for (int i = from; i < from + count; ++i)
            out.append(u"c%1"_qs.arg(i));
        return out;
    }

    TestHome home;
    QDateTime now{QDate(2024, 3, 5), QTime(9, 5, 7, 250)};
    CLogFile displayLog{[this] { return now; }};
    CLogFile contactLog{[this] { return now; }};
    CTranscriptFile transcript{[this] { return now; }};
    ReceivedMain store;
    LogHost host;
    CCaptionLogWriter writer{store, displayLog, contactLog, host, &transcript};

private:
    qint32 m_sent = 1000;
};

} // namespace

class CaptionLogWriterTest final : public QObject
{
    Q_OBJECT

private slots:
    // Batches go out while the display is fed; shutting down writes the rest, once.
    void batchesBehindTheDisplay_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("save");
        QTest::addColumn<int>("keep");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("written"); // before the shutdown
        QTest::newRow("nothing shown: no file") << 10 << 100 << 2000 << 0 << 0;
        QTest::newRow("110 captions: all still too close") << 10 << 100 << 2000 << 110 << 0;
        QTest::newRow("111 captions: the 100 oldest") << 10 << 100 << 2000 << 111 << 100;
        QTest::newRow("210 captions: still one batch") << 10 << 100 << 2000 << 210 << 100;
        QTest::newRow("211 captions: two batches") << 10 << 100 << 2000 << 211 << 200;
        QTest::newRow("batches of 10 behind 3 lines") << 3 << 10 << 2000 << 24 << 20;
        // Each batch must go out before its records leave the store.
        QTest::newRow("store of 20, batches of 1000") << 5 << 1000 << 20 << 300 << 294;
    }

    void batchesBehindTheDisplay()
    {
        QFETCH(int, lines);
        QFETCH(int, save);
        QFETCH(int, keep);
        QFETCH(int, shown);
        QFETCH(int, written);
        Fixture f(lines, save, keep);
        f.captions(0, shown);
        QCOMPARE(f.logged(), Fixture::names(0, written));
        f.writer.FlushDisplayLog();
        f.writer.FlushDisplayLog();
        QCOMPARE(f.logged(), Fixture::names(0, shown));
        QCOMPARE(f.host.last, f.store.nextSerial() - 1);
        QCOMPARE(f.displayLog.GetPath().isEmpty(), shown == 0);
    }

    void withdrawnCaptionNeverLogged()
    {
        Fixture f;
        f.captions(0, 6);
        // The typist takes back c5 while it is still on screen.
        QVERIFY(f.store.RemoveLastString(true) >= 0);
        QVERIFY(f.store.at(f.store.count() - 1)->isWithdrawn());
        f.captions(6, 105);
        QStringList expected = Fixture::names(0, 100);
        // The batch still spans 100 serials; the withdrawn one among them is left out.
        expected.removeAll(u"c5"_qs);
        QCOMPARE(f.logged(), expected);
    }

    void lineBreaks_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("written");
        QTest::newRow("bare CR") << u"a\rb"_qs << u"a\r\nb\r\n"_qs;
        QTest::newRow("bare LF") << u"a\nb"_qs << u"a\r\nb\r\n"_qs;
        QTest::newRow("CR LF kept") << u"a\r\nb"_qs << u"a\r\nb\r\n"_qs;
        QTest::newRow("LF CR is two breaks") << u"a\n\rb"_qs << u"a\r\n\r\nb\r\n"_qs;
        QTest::newRow("empty caption") << QString() << u"\r\n"_qs;
    }

    void lineBreaks()
    {
        QFETCH(QString, raw);
        QFETCH(QString, written);
        Fixture f;
        f.caption(raw);
        f.writer.FlushDisplayLog();
        const QString file = readUtf16File(f.displayLog.GetPath());
        QCOMPARE(file.mid(file.indexOf(u"\r\n"_qs) + 2), written);
    }

    void contactLinePrefix()
    {
        Fixture f;
        f.writer.contactLogLine(u"member1＞hello"_qs);
        const QStringList lines = readUtf16File(f.contactLog.GetPath()).split(u"\r\n"_qs);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines.at(1), u"090507.25 member1＞hello"_qs);
        QVERIFY(QFileInfo(f.contactLog.GetPath()).fileName().endsWith(u"_chat.txt"_qs));
    }

    void rangeRefused_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("last");
        QTest::addColumn<int>("result");
        // Blanks are serials 0-9, captions 10-14.
        QTest::newRow("whole range") << -1 << -1 << 5;
        QTest::newRow("from the first caption") << 10 << 14 << 5;
        QTest::newRow("starts among the blanks") << 9 << 14 << -1;
        QTest::newRow("ends after the newest") << 10 << 15 << -1;
        QTest::newRow("empty range") << 12 << 11 << 0;
    }

    void rangeRefused()
    {
        QFETCH(int, first);
        QFETCH(int, last);
        QFETCH(int, result);
        Fixture f;
        f.captions(0, 5);
        QString text;
        QCOMPARE(f.writer.GetLogText(first, last, text), result);
        if (result < 0)
            QVERIFY(text.isEmpty());
    }

    void lateLineInsertedBehindTheLoggedOnes()
    {
        Fixture f(3, 5);
        f.captions(0, 20);
        const QStringList before = f.logged();
        QCOMPARE(before, Fixture::names(0, 15));
        // A line typed before c5 arrives only now and goes in at its place, behind what is logged.
        CReceivedMainData late = f.record(u"late"_qs);
        const int pos = f.store.SerialToPosition(f.host.last) - 8;
        f.store.InsertData(pos, late);
        f.writer.displayLogRecord(late);
        f.captions(20, 3);
        f.writer.FlushDisplayLog();
        QStringList expected = Fixture::names(0, 15);
        expected.append(u"late"_qs);
        expected.append(Fixture::names(15, 8));
        QCOMPARE(f.logged(), expected);
    }

    void transcriptCuesInDisplayOrder()
    {
        Fixture f(3, 5);
        // Typed from 23:59:55 UTC on; the time of day runs on past midnight (86400000).
        const qint32 zero = 86395000;
        f.now = QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59), Qt::UTC);
        const auto typed = [&f, zero](const char *text, qint32 at, char type = 'D') {
            CReceivedMainData r = f.record(QString::fromUtf8(text));
            r.nTimeSent = zero + at;
            r.nType = type;
            f.store.AppendData(r);
            f.writer.displayLogRecord(*f.store.at(f.store.count() - 1));
        };
        typed("c0", 0);
        typed("c1", 3000);
        // A Quorel peer's line has no typing time: it counts from its arrival.
        f.store.AddString(u"q"_qs, u"127.0.0.9"_qs, 'i');
        f.writer.displayLogRecord(*f.store.at(f.store.count() - 1));
        typed("c2\n<b>&", 4500);
        typed("c3", 6000);
        QVERIFY(f.store.RemoveLastString(true) >= 0);
        typed("c4", 30000);
        typed("c5", 31000);
        // This typist's clock is behind: the cue waits for the one before it.
        typed("c6", 29000);
        QVERIFY(f.displayLog.GetPath().isEmpty());
        typed("c7", 40000);
        // The first batch (c0 … c3) is on disk and complete, as a crash would leave it.
        const QString path = f.transcript.GetPath();
        QCOMPARE(path, f.displayLog.GetPath().replace(u"_display.txt"_qs, u"_captions.vtt"_qs));
        const QList<SubtitleCue> firstBatch{{0, 3000, u"c0"_qs},
                                            {3000, 4000, u"c1"_qs},
                                            {4000, 5000, u"q"_qs},
                                            {4500, 14500, u"c2\n<b>&"_qs}};
        bool ok = false;
        QCOMPARE(CSubtitles::ParseWebVtt(QString::fromUtf8(readBytes(path)), &ok), firstBatch);
        QVERIFY(ok);
        QCOMPARE(CSubtitles::ZeroTime(QString::fromUtf8(readBytes(path))),
                 QDateTime(QDate(2024, 3, 5), QTime(23, 59, 55), Qt::UTC));

        // A blank line does not end a cue; a screen clear does.
        typed(" ", 40500);
        typed("", 41200, 'E');
        f.now = QDateTime(QDate(2024, 3, 6), QTime(0, 0, 36, 500), Qt::UTC);
        f.writer.FlushDisplayLog();
        const QList<SubtitleCue> rest{{30000, 31000, u"c4"_qs},
                                      {31000, 32000, u"c5"_qs},
                                      {31000, 40000, u"c6"_qs},
                                      {40000, 41200, u"c7"_qs}};
        QCOMPARE(CSubtitles::ParseWebVtt(QString::fromUtf8(readBytes(path))), firstBatch + rest);
        // The display log is as it always was (the screen clear's line feeds are the store's).
        QCOMPARE(f.logged().mid(0, 10), (QStringList{u"c0"_qs, u"c1"_qs, u"q"_qs, u"c2"_qs, u"<b>&"_qs,
                                                     u"c4"_qs, u"c5"_qs, u"c6"_qs, u"c7"_qs, u" "_qs}));
    }

    void logSwitchedOnAgainWritesWhatIsStillKept()
    {
        Fixture f(5, 10, 20);
        f.captions(0, 10);
        // The log is off: the controller stores captions without telling the writer.
        for (int i = 10; i < 110; ++i)
            f.store.AppendData(f.record(u"c%1"_qs.arg(i)));
        f.caption(u"c110"_qs);
        QVERIFY(operationLogLines().contains(u"ManageMainLog() failed."_qs));
        f.writer.FlushDisplayLog();
        const QStringList logged = f.logged();
        // Every caption the store still holds is written, once and in order.
        QCOMPARE(logged.mid(logged.indexOf(u"c91"_qs)), Fixture::names(91, 20));
        QStringList unique = logged;
        QCOMPARE(unique.removeDuplicates(), 0);
    }
};

QTEST_APPLESS_MAIN(CaptionLogWriterTest)
#include "CaptionLogWriterTest.moc"
