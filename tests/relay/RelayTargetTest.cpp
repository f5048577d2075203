#include "FakeCaptionEndpoint.h"
#include "FakeRelayClock.h"
#include "TestHome.h"
#include "relay/CRelayTarget.h"

#include <QNetworkAccessManager>
#include <QtTest>

namespace {

constexpr int kWaitMs = 10000;

// A target on a fake clock, talking to a fake service on loopback.
struct Rig
{
    Rig() { options.timeoutMs = 3000; }

    void make(RelayKind kind, int holdMs = 0)
    {
        if (!endpoint.isListening())
            QVERIFY(endpoint.start());
        const QString query = kind == RelayKind::Zoom ? u"/closedcaption?id=m1&signature=s%2Bg"_qs
                                                      : u"/closedcaption?cid=key1"_qs;
        const RelayTargetSettings settings{kind, endpoint.url(query), u"ja-JP"_qs, true, holdMs};
        target = std::make_unique<CRelayTarget>(settings, clock, network, options);
        target->Start();
    }
    void show(qint64 id, const QString &text) { target->lineShown(id, text, clock.currentUtc()); }
    // Every line handed in has been answered by the service.
    bool drained() const { return target->linesWaiting() == 0 && target->state() == RelayState::Sending; }

    FakeRelayClock clock;
    FakeCaptionEndpoint endpoint;
    QNetworkAccessManager network;
    RelayTargetOptions options;
    std::unique_ptr<CRelayTarget> target;
};

} // namespace

// One target against a Zoom- or YouTube-style service: the requests as the services' public
// formats give them, the seq across failures, holds and withdrawals, the bounded queue, TLS.
class RelayTargetTest final : public QObject
{
    Q_OBJECT

private slots:
    void requests_data()
    {
        QTest::addColumn<RelayKind>("kind");
        QTest::addColumn<int>("seqStatus");
        QTest::addColumn<QByteArray>("seqBody");
        QTest::addColumn<QByteArray>("requestLine");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("nextBody");

        const QByteArray zoomLine("POST /closedcaption?id=m1&signature=s%2Bg&seq=%1&lang=ja-JP HTTP/1.1");
        const QByteArray zoomBody("こんにちは\nworld");
        QTest::newRow("zoom continues after the seq endpoint")
            << RelayKind::Zoom << 200 << QByteArray("41\n") << QByteArray(zoomLine).replace("%1", "42")
            << zoomBody << QByteArray("next");
        QTest::newRow("zoom seq endpoint 404: seq 1")
            << RelayKind::Zoom << 404 << QByteArray() << QByteArray(zoomLine).replace("%1", "1") << zoomBody
            << QByteArray("next");
        QTest::newRow("zoom seq endpoint not a number: seq 1")
            << RelayKind::Zoom << 200 << QByteArray("none") << QByteArray(zoomLine).replace("%1", "1")
            << zoomBody << QByteArray("next");
        // The service's clock is 5.25 s ahead: the second line's time is in its clock.
        QTest::newRow("youtube: time, <br> between lines, then the service's time")
            << RelayKind::YouTube << 0 << QByteArray()
            << QByteArray("POST /closedcaption?cid=key1&seq=1 HTTP/1.1")
            << QByteArray("2024-05-01T11:59:58.500\nこんにちは<br>world\n")
            << QByteArray("2024-05-01T12:00:04.450\nnext\n");
    }

    void requests()
    {
        QFETCH(RelayKind, kind);
        QFETCH(int, seqStatus);
        QFETCH(QByteArray, seqBody);
        QFETCH(QByteArray, requestLine);
        QFETCH(QByteArray, body);

        Rig rig;
        rig.endpoint.setSeqAnswer(seqStatus, seqBody);
        rig.endpoint.setTimeSource([&rig] { return rig.clock.currentUtc().addMSecs(5250); });
        rig.make(kind);
        rig.target->lineShown(7, u"こんにちは\r\nworld"_qs, rig.clock.currentUtc().addMSecs(-1500));
        QTRY_VERIFY_WITH_TIMEOUT(rig.drained(), kWaitMs);
        rig.target->lineShown(8, u"next"_qs, rig.clock.currentUtc().addMSecs(-800));
        QTRY_COMPARE_WITH_TIMEOUT(rig.endpoint.acceptedSeqs().size(), 2, kWaitMs);

        const QList<CapturedRequest> requests = rig.endpoint.requests();
        QCOMPARE(requests.size(), kind == RelayKind::Zoom ? 3 : 2);
        if (kind == RelayKind::Zoom)
            QCOMPARE(requests.first().requestLine,
                     QByteArray("GET /closedcaption/seq?id=m1&signature=s%2Bg HTTP/1.1"));
        const CapturedRequest post = requests.at(requests.size() - 2);
        QCOMPARE(post.requestLine, requestLine);
        QCOMPARE(post.header("Host"), QByteArray("127.0.0.1:") + QByteArray::number(rig.endpoint.port()));
        QCOMPARE(post.header("Content-Type"), QByteArray("text/plain"));
        QCOMPARE(post.header("Content-Length"), QByteArray::number(body.size()));
        QCOMPARE(post.body, body);
        // The next caption takes the next seq.
        QCOMPARE(requests.last().seq(), post.seq() + 1);
        QTEST(requests.last().body, "nextBody");
        // The service has the request before the target has its answer.
        QTRY_COMPARE_WITH_TIMEOUT(rig.target->lastDelayMs(), 800, kWaitMs);
        QCOMPARE(rig.target->lastAnswer(), u"200 OK"_qs);
    }

    void failureRetriesWithSameSeq_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("answer");
        QTest::newRow("500") << 500 << u"500 Internal Server Error"_qs;
        QTest::newRow("connection dropped") << int(FakeCaptionEndpoint::kDrop) << QString();
        QTest::newRow("no answer") << int(FakeCaptionEndpoint::kHang) << u"no answer within 3 s"_qs;
    }

    void failureRetriesWithSameSeq()
    {
        QFETCH(int, failure);
        QFETCH(QString, answer);

        Rig rig;
        rig.endpoint.queueAnswers({failure});
        rig.make(RelayKind::Zoom);
        rig.show(1, u"A"_qs);
        QTRY_VERIFY_WITH_TIMEOUT(!rig.endpoint.posts().isEmpty(), kWaitMs);
        if (failure == FakeCaptionEndpoint::kHang)
            rig.clock.advance(rig.options.timeoutMs);
        // Qt itself sends once more when a kept-alive connection is dropped; that try may succeed.
        QTRY_VERIFY_WITH_TIMEOUT(rig.target->state() == RelayState::WaitingToRetry ||
                                     !rig.endpoint.acceptedSeqs().isEmpty(),
                                 kWaitMs);
        rig.show(2, u"B"_qs);
        rig.show(3, u"C"_qs);
        if (rig.target->state() == RelayState::WaitingToRetry) {
            if (!answer.isEmpty())
                QCOMPARE(rig.target->lastAnswer(), answer);
            QVERIFY(rig.endpoint.acceptedSeqs().isEmpty());
            QCOMPARE(rig.target->linesWaiting(), 3);
            rig.clock.advance(rig.options.firstBackoffMs);
        }
        QTRY_VERIFY_WITH_TIMEOUT(rig.drained(), kWaitMs);

        QCOMPARE(rig.endpoint.acceptedSeqs(), (QList<qint64>{1, 2, 3}));
        QCOMPARE(rig.endpoint.acceptedBodies(), (QList<QByteArray>{"A", "B", "C"}));
        int triesOfA = 0;
        for (const CapturedRequest &post : rig.endpoint.posts()) {
            QCOMPARE(post.seq(), qint64(post.body.at(0) - 'A' + 1));
            triesOfA += post.body == "A" ? 1 : 0;
        }
        QVERIFY(triesOfA >= 2);
    }

    void backoffDoublesUpToThirtySeconds()
    {
        Rig rig;
        const QList<int> waits{1000, 2000, 4000, 8000, 16000, 30000, 30000};
        rig.endpoint.queueAnswers(QList<int>(waits.size(), 503));
        rig.make(RelayKind::YouTube);
        rig.show(1, u"A"_qs);
        for (int i = 0; i < waits.size(); ++i) {
            QTRY_COMPARE_WITH_TIMEOUT(rig.target->state(), RelayState::WaitingToRetry, kWaitMs);
            rig.clock.advance(waits[i] - 1);
            QCOMPARE(rig.target->state(), RelayState::WaitingToRetry);
            rig.clock.advance(1);
            QCOMPARE(rig.target->state(), RelayState::Sending);
            QTRY_COMPARE_WITH_TIMEOUT(rig.endpoint.posts().size(), i + 2, kWaitMs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(rig.endpoint.acceptedSeqs(), QList<qint64>{1}, kWaitMs);
    }

    void holdWithdrawAndOrder_data()
    {
        // Steps: "show ID TEXT", "withdraw ID", "wait MS" (on the relay's clock; the hold is 2 s).
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QList<QByteArray>>("sent");
        QTest::newRow("withdrawn inside the hold: never sent")
            << u"show 1 A; wait 1999; withdraw 1; show 2 B; wait 2000"_qs << QList<QByteArray>{"B"};
        QTest::newRow("released after the hold, in the order shown")
            << u"show 1 A; wait 500; show 2 B; wait 1500"_qs << QList<QByteArray>{"A"};
        QTest::newRow("insert arrives later: sent when it arrives")
            << u"show 1 A; show 3 C; wait 2000; show 2 B; wait 2000"_qs << QList<QByteArray>{"A", "C", "B"};
        QTest::newRow("shown twice: sent once")
            << u"show 1 A; wait 2000; show 1 A; wait 2000"_qs << QList<QByteArray>{"A"};
        QTest::newRow("empty lines skipped")
            << u"show 1 ; show 2  ; show 3 C; wait 2000"_qs << QList<QByteArray>{"C"};
        QTest::newRow("withdrawn after it was sent: stays sent")
            << u"show 1 A; wait 2000; withdraw 1; show 2 B; wait 2000"_qs << QList<QByteArray>{"A", "B"};
    }

    void holdWithdrawAndOrder()
    {
        QFETCH(QString, steps);
        QFETCH(QList<QByteArray>, sent);

        TestHome home;
        Rig rig;
        rig.make(RelayKind::Zoom, 2000);
        for (const QString &step : steps.split(u"; "_qs)) {
            const QStringList words = step.split(u' ');
            if (words[0] == u"show"_qs)
                rig.show(words[1].toLongLong(), step.section(u' ', 2));
            else if (words[0] == u"withdraw"_qs)
                rig.target->lineWithdrawn(words[1].toLongLong());
            else
                rig.clock.advance(words[1].toLongLong());
            // What a step released is answered before the next step, as the display's pace would have it.
            QTRY_VERIFY_WITH_TIMEOUT(rig.target->nextSeq() > 0 &&
                                         rig.target->state() == RelayState::Sending &&
                                         rig.target->linesWaiting() == rig.target->linesHeld(),
                                     kWaitMs);
        }
        QCOMPARE(rig.endpoint.acceptedBodies(), sent);
        QCOMPARE(rig.endpoint.acceptedSeqs().size(), sent.size());
        // A withdrawal that comes too late is told in the log, once.
        QCOMPARE(operationLogLines().filter(u"cannot be recalled"_qs).size(),
                 steps.contains(u"wait 2000; withdraw"_qs) ? 1 : 0);
    }

    void fullQueueDropsOldestAndLogsOnce()
    {
        TestHome home;
        Rig rig;
        rig.options.queueLimit = 5;
        rig.make(RelayKind::Zoom);
        QList<QByteArray> expected;
        qint64 id = 0;
        // Two outages, each long enough to overflow the queue.
        for (int outage = 0; outage < 2; ++outage) {
            rig.endpoint.queueAnswers({503});
            rig.show(++id, u"first of outage %1"_qs.arg(outage));
            expected.append("first of outage " + QByteArray::number(outage));
            QTRY_COMPARE_WITH_TIMEOUT(rig.target->state(), RelayState::WaitingToRetry, kWaitMs);
            for (int i = 0; i < 11; ++i, ++id)
                rig.show(id + 1, QString::number(id + 1));
            for (qint64 kept = id - 4; kept <= id; ++kept)
                expected.append(QByteArray::number(kept));
            QCOMPARE(rig.target->linesWaiting(), 6);
            rig.clock.advance(rig.options.firstBackoffMs);
            QTRY_VERIFY_WITH_TIMEOUT(rig.drained(), kWaitMs);
        }
        QCOMPARE(rig.endpoint.acceptedBodies(), expected);
        QCOMPARE(rig.endpoint.acceptedSeqs(), (QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
        QCOMPARE(rig.target->droppedLines(), 12);
        const QStringList log = operationLogLines();
        QCOMPARE(log.filter(u"queue full"_qs).size(), 2);
        QCOMPARE(log.filter(u"dropped lines : 6"_qs).size(), 2);
    }

    void https_data()
    {
        QTest::addColumn<bool>("trusted");
        QTest::newRow("certificate trusted: sent") << true;
        QTest::newRow("certificate not trusted: refused, stopped") << false;
    }

    void https()
    {
        QFETCH(bool, trusted);
        QSslCertificate certificate;
        QSslKey key;
        QString why;
        if (!makeLoopbackCertificate(certificate, key, &why))
            QSKIP(qPrintable(why));

        Rig rig;
        rig.endpoint.useTls(certificate, key);
        if (trusted)
            rig.options.ssl.addCaCertificate(certificate);
        rig.make(RelayKind::YouTube);
        QVERIFY(rig.target->settings().url.startsWith(u"https://"_qs));
        rig.show(1, u"A"_qs);
        if (trusted) {
            QTRY_VERIFY_WITH_TIMEOUT(rig.drained(), kWaitMs);
            QCOMPARE(rig.endpoint.posts().constFirst().requestLine,
                     QByteArray("POST /closedcaption?cid=key1&seq=1 HTTP/1.1"));
            return;
        }
        QTRY_COMPARE_WITH_TIMEOUT(rig.target->state(), RelayState::Stopped, kWaitMs);
        QVERIFY2(rig.target->lastAnswer().startsWith(u"certificate refused: "_qs),
                 qPrintable(rig.target->lastAnswer()));
        rig.show(2, u"B"_qs);
        QCOMPARE(rig.target->linesWaiting(), 0);
        QVERIFY(rig.endpoint.requests().isEmpty());
    }
};

QTEST_GUILESS_MAIN(RelayTargetTest)
#include "RelayTargetTest.moc"
