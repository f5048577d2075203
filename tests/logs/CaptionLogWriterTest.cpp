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

const QString kTypist = QStringLiteral("127.0.0.5");

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
            store.AddString(QString(), QStringLiteral("127.0.0.1"), 'i');
        // The main window counts the blanks as logged by their number.
        host.last = lines;
        const QString folder = home.path() + QStringLiteral("/logs");
        displayLog.SetFolder(folder);
        displayLog.SetPattern(QStringLiteral("log_%Y%m%d_%H%M%S_display.txt"));
        contactLog.SetFolder(folder);
        contactLog.SetPattern(QStringLiteral("log_%Y%m%d_%H%M%S_chat.txt"));
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
            caption(QStringLiteral("c%1").arg(i));
    }

    // The display log's lines after the start banner (without their CR LF).
    QStringList logged() const
    {
        if (displayLog.GetPath().isEmpty())
            return {};
        QStringList lines = readUtf16File(displayLog.GetPath()).split(QStringLiteral("\r\n"));
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
            out.append(QStringLiteral("c%1").arg(i));
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
    void batchesBehindTheDisplay_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("save");
        QTest::addColumn<int>("shown");
        QTest::addColumn<int>("written");
        QTest::newRow("110 captions: all still too close") << 10 << 100 << 110 << 0;
        QTest::newRow("111 captions: the 100 oldest") << 10 << 100 << 111 << 100;
        QTest::newRow("210 captions: still one batch") << 10 << 100 << 210 << 100;
        QTest::newRow("211 captions: two batches") << 10 << 100 << 211 << 200;
        QTest::newRow("batches of 10 behind 3 lines") << 3 << 10 << 24 << 20;
    }

    void batchesBehindTheDisplay()
    {
        QFETCH(int, lines);
        QFETCH(int, save);
        QFETCH(int, shown);
        QFETCH(int, written);
        Fixture f(lines, save);
        f.captions(0, shown);
        QCOMPARE(f.logged(), Fixture::names(0, written));
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
        expected.removeAll(QStringLiteral("c5"));
        QCOMPARE(f.logged(), expected);
    }

    void lineBreaks_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("written");
        QTest::newRow("bare CR") << QStringLiteral("a\rb") << QStringLiteral("a\r\nb\r\n");
        QTest::newRow("bare LF") << QStringLiteral("a\nb") << QStringLiteral("a\r\nb\r\n");
        QTest::newRow("CR LF kept") << QStringLiteral("a\r\nb") << QStringLiteral("a\r\nb\r\n");
        QTest::newRow("LF CR is two breaks") << QStringLiteral("a\n\rb") << QStringLiteral("a\r\n\r\nb\r\n");
        QTest::newRow("empty caption") << QString() << QStringLiteral("\r\n");
    }

    void lineBreaks()
    {
        QFETCH(QString, raw);
        QFETCH(QString, written);
        Fixture f;
        f.caption(raw);
        f.writer.FlushDisplayLog();
        const QString file = readUtf16File(f.displayLog.GetPath());
        QCOMPARE(file.mid(file.indexOf(QStringLiteral("\r\n")) + 2), written);
    }

    void shutdownWritesEverythingLeft()
    {
        Fixture f;
        f.captions(0, 125);
        QCOMPARE(f.logged().size(), 100);
        f.writer.FlushDisplayLog();
        QCOMPARE(f.logged(), Fixture::names(0, 125));
        QCOMPARE(f.host.last, f.store.nextSerial() - 1);
        // A second flush has nothing left to write.
        f.writer.FlushDisplayLog();
        QCOMPARE(f.logged().size(), 125);
    }

    void startupBlanksNeverLogged()
    {
        Fixture f;
        f.caption(QStringLiteral("first"));
        f.writer.FlushDisplayLog();
        QCOMPARE(f.logged(), QStringList{QStringLiteral("first")});
        // The log viewer asks for the whole range and gets no blanks either.
        QString text;
        QCOMPARE(f.writer.GetLogText(-1, -1, text), 1);
        QCOMPARE(text, QStringLiteral("first\r\n"));
    }

    void nothingToWriteCreatesNoFile()
    {
        Fixture f;
        f.writer.FlushDisplayLog();
        QVERIFY(f.displayLog.GetPath().isEmpty());
        QVERIFY(!QFileInfo::exists(f.home.path() + QStringLiteral("/logs")) ||
                QDir(f.home.path() + QStringLiteral("/logs")).isEmpty());
    }

    void contactLinePrefix_data()
    {
        QTest::addColumn<QTime>("time");
        QTest::addColumn<QString>("line");
        QTest::newRow("09:05:07.25") << QTime(9, 5, 7, 250) << QStringLiteral("090507.25 member1＞hello");
        QTest::newRow("hundredths rounded down")
            << QTime(23, 59, 59, 8) << QStringLiteral("235959.00 member1＞hello");
    }

    void contactLinePrefix()
    {
        QFETCH(QTime, time);
        QFETCH(QString, line);
        Fixture f;
        f.now = QDateTime(QDate(2024, 3, 5), time);
        f.writer.contactLogLine(QStringLiteral("member1＞hello"));
        const QStringList lines = readUtf16File(f.contactLog.GetPath()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).endsWith(QStringLiteral("---------- start ----------")));
        QCOMPARE(lines.at(1), line);
        QVERIFY(QFileInfo(f.contactLog.GetPath()).fileName().endsWith(QStringLiteral("_chat.txt")));
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
        CReceivedMainData late = f.record(QStringLiteral("late"));
        const int pos = f.store.SerialToPosition(f.host.last) - 8;
        f.store.InsertData(pos, late);
        f.writer.displayLogRecord(late);
        f.captions(20, 3);
        f.writer.FlushDisplayLog();
        QStringList expected = Fixture::names(0, 15);
        expected.append(QStringLiteral("late"));
        expected.append(Fixture::names(15, 8));
        QCOMPARE(f.logged(), expected);
    }

    void transcriptCuesInDisplayOrder()
    {
        Fixture f(3, 5);
        // Typed from 23:59:55 UTC on; the time of day runs on past midnight (86400000).
        const qint32 zero = 86395000;
        f.now = QDateTime(QDate(2024, 3, 5), QTime(23, 59, 59), Qt::UTC);
        const auto typed = [&f, zero](const char *text, qint32 at) {
            CReceivedMainData r = f.record(QString::fromUtf8(text));
            r.nTimeSent = zero + at;
            f.store.AppendData(r);
            f.writer.displayLogRecord(*f.store.at(f.store.count() - 1));
        };
        typed("c0", 0);
        typed("c1", 3000);
        // A Quorel peer's line has no typing time: it counts from its arrival.
        f.store.AddString(QStringLiteral("q"), QStringLiteral("127.0.0.9"), 'i');
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
        QCOMPARE(path, f.displayLog.GetPath().replace(QStringLiteral("_display.txt"),
                                                      QStringLiteral("_captions.vtt")));
        const QList<SubtitleCue> firstBatch{{0, 3000, QStringLiteral("c0")},
                                            {3000, 4000, QStringLiteral("c1")},
                                            {4000, 5000, QStringLiteral("q")},
                                            {4500, 14500, QStringLiteral("c2\n<b>&")}};
        bool ok = false;
        QCOMPARE(CSubtitles::ParseWebVtt(QString::fromUtf8(readBytes(path)), &ok), firstBatch);
        QVERIFY(ok);
        QCOMPARE(CSubtitles::ZeroTime(QString::fromUtf8(readBytes(path))),
                 QDateTime(QDate(2024, 3, 5), QTime(23, 59, 55), Qt::UTC));

        f.now = QDateTime(QDate(2024, 3, 6), QTime(0, 0, 36, 500), Qt::UTC);
        f.writer.FlushDisplayLog();
        const QList<SubtitleCue> rest{{30000, 31000, QStringLiteral("c4")},
                                      {31000, 32000, QStringLiteral("c5")},
                                      {31000, 40000, QStringLiteral("c6")},
                                      {40000, 41500, QStringLiteral("c7")}};
        QCOMPARE(CSubtitles::ParseWebVtt(QString::fromUtf8(readBytes(path))), firstBatch + rest);
        // The display log is as it always was.
        QCOMPARE(f.logged(), (QStringList{QStringLiteral("c0"), QStringLiteral("c1"), QStringLiteral("q"),
                                          QStringLiteral("c2"), QStringLiteral("<b>&"), QStringLiteral("c4"),
                                          QStringLiteral("c5"), QStringLiteral("c6"), QStringLiteral("c7")}));
    }

    void smallStoreLosesNothing()
    {
        // Batches of 1000 behind 5 lines in a store of only 20: each batch must go out before its
        // records leave the store.
        Fixture f(5, 1000, 20);
        f.captions(0, 300);
        f.writer.FlushDisplayLog();
        QCOMPARE(f.logged(), Fixture::names(0, 300));
    }

    void logSwitchedOnAgainWritesWhatIsStillKept()
    {
        Fixture f(5, 10, 20);
        f.captions(0, 10);
        // The log is off: the controller stores captions without telling the writer.
        for (int i = 10; i < 110; ++i)
            f.store.AppendData(f.record(QStringLiteral("c%1").arg(i)));
        f.caption(QStringLiteral("c110"));
        QVERIFY(operationLogLines().contains(QStringLiteral("ManageMainLog() failed.")));
        f.writer.FlushDisplayLog();
        const QStringList logged = f.logged();
        // Every caption the store still holds is written, once and in order.
        QCOMPARE(logged.mid(logged.indexOf(QStringLiteral("c91"))), Fixture::names(91, 20));
        QStringList unique = logged;
        QCOMPARE(unique.removeDuplicates(), 0);
    }
};

QTEST_APPLESS_MAIN(CaptionLogWriterTest)
#include "CaptionLogWriterTest.moc"
