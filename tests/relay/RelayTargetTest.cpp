#include "FakeCaptionEndpoint.h"
#include "FakeRelayClock.h"
#include "TestHome.h"
#include "relay/CRelay.h"
#include "relay/CRelaySecrets.h"
#include "relay/CRelayTarget.h"

#include <QDirIterator>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QtTest>

namespace {

constexpr int kWaitMs = 10000;
const QString kZoomQuery = QStringLiteral("/closedcaption?id=m1&signature=s%2Bg");
const QString kYouTubeQuery = QStringLiteral("/closedcaption?cid=key1");

RelayTargetOptions testOptions()
{
    RelayTargetOptions options;
    options.timeoutMs = 3000;
    return options;
}

// A target on a fake clock, talking to a fake service on loopback.
struct Rig
{
    FakeRelayClock clock;
    FakeCaptionEndpoint endpoint;
    QNetworkAccessManager network;
    RelayTargetOptions options = testOptions();
    std::unique_ptr<CRelayTarget> target;

    void make(RelayKind kind, int holdMs = 0)
    {
        if (!endpoint.isListening())
            QVERIFY(endpoint.start());
        RelayTargetSettings settings;
        settings.kind = kind;
        settings.url = endpoint.url(kind == RelayKind::Zoom ? kZoomQuery : kYouTubeQuery);
        settings.language = QStringLiteral("ja-JP");
        settings.enabled = true;
        settings.holdMs = holdMs;
        target = std::make_unique<CRelayTarget>(settings, clock, network, options);
        target->Start();
    }
    void show(qint64 id, const QString &text) { target->lineShown(id, text, clock.currentUtc()); }
    // Every line handed in has been answered by the service.
    bool drained() const { return target->linesWaiting() == 0 && target->state() == RelayState::Sending; }
    // Nothing queued or in flight; lines may still be held.
    bool idle() const
    {
        return target->nextSeq() > 0 && target->state() == RelayState::Sending &&
               target->linesWaiting() == target->linesHeld();
    }
};

QByteArray text(const char *utf8)
{
    return QByteArray(utf8);
}

} // namespace

class RelayTargetTest final : public QObject
{
    Q_OBJECT

private slots:
    void firstRequest_data();
    void firstRequest();
    void failureRetriesWithSameSeq_data();
    void failureRetriesWithSameSeq();
    void backoffDoublesUpToThirtySeconds();
    void holdWithdrawAndOrder_data();
    void holdWithdrawAndOrder();
    void fullQueueDropsOldestAndLogsOnce();
    void youTubeClockOffsetCorrectsLaterTimes();
    void https_data();
    void https();
    void relayFansOutAndKeepsUnchangedTargets();
    void secretsStayOutOfLogsAndFiles();
};

void RelayTargetTest::firstRequest_data()
{
    QTest::addColumn<RelayKind>("kind");
    QTest::addColumn<int>("seqStatus");
    QTest::addColumn<QByteArray>("seqBody");
    QTest::addColumn<QByteArray>("requestLine");
    QTest::addColumn<QByteArray>("body");

    const QByteArray zoomBody = text("こんにちは\nworld");
    QTest::newRow("zoom continues after the seq endpoint")
        << RelayKind::Zoom << 200 << QByteArray("41\n")
        << QByteArray("POST /closedcaption?id=m1&signature=s%2Bg&seq=42&lang=ja-JP HTTP/1.1") << zoomBody;
    QTest::newRow("zoom seq endpoint 404: seq 1")
        << RelayKind::Zoom << 404 << QByteArray()
        << QByteArray("POST /closedcaption?id=m1&signature=s%2Bg&seq=1&lang=ja-JP HTTP/1.1") << zoomBody;
    QTest::newRow("zoom seq endpoint not a number: seq 1")
        << RelayKind::Zoom << 200 << QByteArray("none")
        << QByteArray("POST /closedcaption?id=m1&signature=s%2Bg&seq=1&lang=ja-JP HTTP/1.1") << zoomBody;
    QTest::newRow("youtube: time, <br> between lines")
        << RelayKind::YouTube << 0 << QByteArray()
        << QByteArray("POST /closedcaption?cid=key1&seq=1 HTTP/1.1")
        << text("2024-05-01T11:59:58.500\nこんにちは<br>world\n");
}

void RelayTargetTest::firstRequest()
{
    QFETCH(RelayKind, kind);
    QFETCH(int, seqStatus);
    QFETCH(QByteArray, seqBody);
    QFETCH(QByteArray, requestLine);
    QFETCH(QByteArray, body);

    Rig rig;
    rig.endpoint.setSeqAnswer(seqStatus, seqBody);
    rig.make(kind);
    rig.target->lineShown(7, QStringLiteral("こんにちは\r\nworld"), rig.clock.currentUtc().addMSecs(-1500));
    rig.show(8, QStringLiteral("next"));
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
    QCOMPARE(rig.target->lastAnswer(), QStringLiteral("200 OK"));
}

void RelayTargetTest::failureRetriesWithSameSeq_data()
{
    QTest::addColumn<int>("failure");
    QTest::addColumn<QString>("answer");

    QTest::newRow("500") << 500 << QStringLiteral("500 Internal Server Error");
    QTest::newRow("503") << 503 << QStringLiteral("503 Service Unavailable");
    QTest::newRow("connection dropped") << int(FakeCaptionEndpoint::kDrop) << QString();
    QTest::newRow("no answer") << int(FakeCaptionEndpoint::kHang) << QStringLiteral("no answer within 3 s");
}

void RelayTargetTest::failureRetriesWithSameSeq()
{
    QFETCH(int, failure);
    QFETCH(QString, answer);

    Rig rig;
    rig.endpoint.queueAnswers({failure});
    rig.make(RelayKind::Zoom);
    rig.show(1, QStringLiteral("A"));
    // A dropped connection may be tried again by Qt before the first look.
    QTRY_VERIFY_WITH_TIMEOUT(!rig.endpoint.posts().isEmpty(), kWaitMs);
    if (failure == FakeCaptionEndpoint::kHang)
        rig.clock.advance(rig.options.timeoutMs);
    // Qt itself sends once more when a kept-alive connection is dropped; that try may succeed.
    QTRY_VERIFY_WITH_TIMEOUT(
        rig.target->state() == RelayState::WaitingToRetry || !rig.endpoint.acceptedSeqs().isEmpty(), kWaitMs);
    rig.show(2, QStringLiteral("B"));
    rig.show(3, QStringLiteral("C"));
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
    QCOMPARE(rig.target->lastAnswer(), QStringLiteral("200 OK"));
}

void RelayTargetTest::backoffDoublesUpToThirtySeconds()
{
    Rig rig;
    const QList<int> waits{1000, 2000, 4000, 8000, 16000, 30000, 30000};
    rig.endpoint.queueAnswers(QList<int>(waits.size(), 503));
    rig.make(RelayKind::YouTube);
    rig.show(1, QStringLiteral("A"));
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

void RelayTargetTest::holdWithdrawAndOrder_data()
{
    // Steps: "show ID TEXT", "withdraw ID", "wait MS" (on the relay's clock; the hold is 2 s).
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QList<QByteArray>>("sent");

    QTest::newRow("withdrawn inside the hold: never sent")
        << QStringLiteral("show 1 A; wait 1999; withdraw 1; show 2 B; wait 2000") << QList<QByteArray>{"B"};
    QTest::newRow("released after the hold, in the order shown")
        << QStringLiteral("show 1 A; wait 500; show 2 B; wait 1500") << QList<QByteArray>{"A"};
    QTest::newRow("insert arrives later: sent when it arrives")
        << QStringLiteral("show 1 A; show 3 C; wait 2000; show 2 B; wait 2000")
        << QList<QByteArray>{"A", "C", "B"};
    QTest::newRow("shown twice: sent once")
        << QStringLiteral("show 1 A; wait 2000; show 1 A; wait 2000") << QList<QByteArray>{"A"};
    QTest::newRow("empty lines skipped")
        << QStringLiteral("show 1 ; show 2  ; show 3 C; wait 2000") << QList<QByteArray>{"C"};
    QTest::newRow("withdrawn after it was sent: stays sent")
        << QStringLiteral("show 1 A; wait 2000; withdraw 1; show 2 B; wait 2000")
        << QList<QByteArray>{"A", "B"};
}

void RelayTargetTest::holdWithdrawAndOrder()
{
    QFETCH(QString, steps);
    QFETCH(QList<QByteArray>, sent);

    Rig rig;
    rig.make(RelayKind::Zoom, 2000);
    for (const QString &step : steps.split(QStringLiteral("; "))) {
        const QStringList words = step.split(u' ');
        if (words[0] == QStringLiteral("show"))
            rig.show(words[1].toLongLong(), step.section(u' ', 2));
        else if (words[0] == QStringLiteral("withdraw"))
            rig.target->lineWithdrawn(words[1].toLongLong());
        else
            rig.clock.advance(words[1].toLongLong());
        // What a step released is answered before the next step, as the display's pace would have it.
        QTRY_VERIFY_WITH_TIMEOUT(rig.idle(), kWaitMs);
    }
    QCOMPARE(rig.endpoint.acceptedBodies(), sent);
    QCOMPARE(rig.endpoint.acceptedSeqs().size(), sent.size());
}

void RelayTargetTest::fullQueueDropsOldestAndLogsOnce()
{
    TestHome home;
    Rig rig;
    rig.options.queueLimit = 5;
    rig.make(RelayKind::YouTube);
    QList<QByteArray> expected;
    qint64 id = 0;
    // Two outages, each long enough to overflow the queue.
    for (int outage = 0; outage < 2; ++outage) {
        rig.endpoint.queueAnswers({503});
        ++id;
        rig.show(id, QString::number(id));
        expected.append(QByteArray::number(id));
        QTRY_COMPARE_WITH_TIMEOUT(rig.target->state(), RelayState::WaitingToRetry, kWaitMs);
        for (int i = 0; i < 11; ++i) {
            ++id;
            rig.show(id, QString::number(id));
        }
        for (qint64 kept = id - 4; kept <= id; ++kept)
            expected.append(QByteArray::number(kept));
        QCOMPARE(rig.target->linesWaiting(), 6);
        rig.clock.advance(rig.options.firstBackoffMs);
        QTRY_VERIFY_WITH_TIMEOUT(rig.drained(), kWaitMs);
    }
    QList<QByteArray> texts;
    for (const QByteArray &body : rig.endpoint.acceptedBodies())
        texts.append(body.split('\n').value(1));
    QCOMPARE(texts, expected);
    QCOMPARE(rig.endpoint.acceptedSeqs(), (QList<qint64>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    QCOMPARE(rig.target->droppedLines(), 12);
    const QStringList log = operationLogLines();
    QCOMPARE(log.filter(QStringLiteral("queue full")).size(), 2);
    QCOMPARE(log.filter(QStringLiteral("dropped lines : 6")).size(), 2);
}

void RelayTargetTest::youTubeClockOffsetCorrectsLaterTimes()
{
    Rig rig;
    rig.endpoint.setTimeSource([&rig] { return rig.clock.currentUtc().addMSecs(5250); });
    rig.make(RelayKind::YouTube);
    const QDateTime lineTime = rig.clock.currentUtc().addMSecs(-800);
    rig.target->lineShown(1, QStringLiteral("A"), lineTime);
    QTRY_VERIFY_WITH_TIMEOUT(rig.drained(), kWaitMs);
    rig.target->lineShown(2, QStringLiteral("B"), lineTime);
    QTRY_VERIFY_WITH_TIMEOUT(rig.drained(), kWaitMs);

    QCOMPARE(rig.target->clockOffsetMs(), 5250);
    QCOMPARE(rig.endpoint.acceptedBodies(),
             (QList<QByteArray>{"2024-05-01T11:59:59.200\nA\n", "2024-05-01T12:00:04.450\nB\n"}));
    QCOMPARE(rig.target->lastDelayMs(), 800);
}

void RelayTargetTest::https_data()
{
    QTest::addColumn<bool>("trusted");
    QTest::newRow("certificate trusted: sent") << true;
    QTest::newRow("certificate not trusted: refused, stopped") << false;
}

void RelayTargetTest::https()
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
    QVERIFY(rig.target->settings().url.startsWith(QStringLiteral("https://")));
    rig.show(1, QStringLiteral("A"));
    if (trusted) {
        QTRY_VERIFY_WITH_TIMEOUT(rig.drained(), kWaitMs);
        QCOMPARE(rig.endpoint.posts().constFirst().requestLine,
                 QByteArray("POST /closedcaption?cid=key1&seq=1 HTTP/1.1"));
        return;
    }
    QTRY_COMPARE_WITH_TIMEOUT(rig.target->state(), RelayState::Stopped, kWaitMs);
    QVERIFY2(rig.target->lastAnswer().startsWith(QStringLiteral("certificate refused: ")),
             qPrintable(rig.target->lastAnswer()));
    rig.show(2, QStringLiteral("B"));
    QCOMPARE(rig.target->linesWaiting(), 0);
    QVERIFY(rig.endpoint.requests().isEmpty());
}

void RelayTargetTest::relayFansOutAndKeepsUnchangedTargets()
{
    FakeRelayClock clock;
    FakeCaptionEndpoint endpoint;
    QVERIFY(endpoint.start());
    CRelay relay(&clock, testOptions());
    QSignalSpy rebuilt(&relay, &CRelay::targetsChanged);
    QList<RelayTargetSettings> settings(2);
    settings[0] = {RelayKind::Zoom, endpoint.url(QStringLiteral("/closedcaption?id=z")),
                   QStringLiteral("en-US"), true, 0};
    settings[1] = {RelayKind::YouTube, endpoint.url(QStringLiteral("/closedcaption?cid=y")), {}, true, 0};
    relay.ApplySettings(settings);
    QCOMPARE(rebuilt.size(), 1);

    relay.lineShown(1, QStringLiteral("A"), clock.currentUtc());
    QTRY_COMPARE_WITH_TIMEOUT(endpoint.acceptedSeqs().size(), 2, kWaitMs);
    QStringList targets;
    for (const CapturedRequest &post : endpoint.posts())
        targets.append(QString::fromLatin1(post.target));
    targets.sort();
    QCOMPARE(targets.join(u' '),
             QStringLiteral("/closedcaption?cid=y&seq=1 /closedcaption?id=z&seq=1&lang=en-US"));

    // A new hold time or switching off keeps the target (and its seq); a new URL replaces it.
    CRelayTarget *zoom = relay.target(0);
    settings[0].holdMs = 3000;
    settings[1].enabled = false;
    relay.ApplySettings(settings);
    QCOMPARE(rebuilt.size(), 1);
    QCOMPARE(relay.target(0), zoom);
    QCOMPARE(relay.target(1)->state(), RelayState::Stopped);
    settings[0].url += QStringLiteral("2");
    relay.ApplySettings(settings.mid(0, 1));
    QCOMPARE(rebuilt.size(), 2);
    QCOMPARE(relay.targetCount(), 1);
    QCOMPARE(relay.settings(), settings.mid(0, 1));
}

void RelayTargetTest::secretsStayOutOfLogsAndFiles()
{
    TestHome home;
    const QStringList secrets = QStringLiteral("MEETING77 SIG-SECRET STREAM-KEY-9 closedcaption").split(u' ');
    FakeRelayClock clock;
    FakeCaptionEndpoint endpoint;
    QVERIFY(endpoint.start());
    endpoint.setSeqAnswer(500, {});
    endpoint.queueAnswers({500, 503});
    RelayTargetOptions options = testOptions();
    options.timeoutMs = 600000;
    CRelay relay(&clock, options);
    QList<RelayTargetSettings> settings(3);
    settings[0] = {RelayKind::Zoom,
                   endpoint.url(QStringLiteral("/closedcaption?id=MEETING77&signature=SIG-SECRET")),
                   QStringLiteral("ja-JP"), true, 0};
    settings[1] = {
        RelayKind::YouTube, endpoint.url(QStringLiteral("/closedcaption?cid=STREAM-KEY-9")), {}, true, 0};
    settings[2] = {
        RelayKind::YouTube, QStringLiteral("ftp://127.0.0.1/closedcaption?cid=STREAM-KEY-9"), {}, true, 0};
    relay.ApplySettings(settings);
    relay.lineShown(1, QStringLiteral("A"), clock.currentUtc());
    // Both fail once, then come back.
    for (int i = 0; i < 10 && endpoint.acceptedSeqs().size() < 2; ++i) {
        QTRY_VERIFY_WITH_TIMEOUT(relay.target(0)->state() == RelayState::WaitingToRetry ||
                                     relay.target(1)->state() == RelayState::WaitingToRetry ||
                                     endpoint.acceptedSeqs().size() == 2,
                                 kWaitMs);
        clock.advance(1000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(endpoint.acceptedSeqs().size(), 2, kWaitMs);
    relay.lineWithdrawn(1);
    QVERIFY(CRelaySecrets::Save(relay.settings()));
    relay.Stop();

    const QStringList log = operationLogLines();
    QVERIFY(!log.filter(QStringLiteral("Zoom (127.0.0.1) outage begins")).isEmpty() ||
            !log.filter(QStringLiteral("YouTube (127.0.0.1) outage begins")).isEmpty());
    QCOMPARE(log.filter(QStringLiteral("cannot be recalled")).size(), 2);
    QDirIterator files(home.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    int checked = 0;
    while (files.hasNext()) {
        const QString path = files.next();
        if (path == CRelaySecrets::DefaultPath())
            continue;
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        for (const QString &secret : secrets) {
            const QByteArray utf16(reinterpret_cast<const char *>(secret.utf16()), secret.size() * 2);
            QVERIFY2(!bytes.contains(secret.toUtf8()) && !bytes.contains(utf16),
                     qPrintable(secret + QStringLiteral(" in ") + path));
        }
        ++checked;
    }
    QVERIFY(checked >= 1);
}

QTEST_GUILESS_MAIN(RelayTargetTest)
#include "RelayTargetTest.moc"
