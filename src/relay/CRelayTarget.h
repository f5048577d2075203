#pragma once

#include "relay/RelayTypes.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSslConfiguration>
#include <QString>

#include <deque>
#include <memory>
#include <optional>

class IRelayClock;
class IRelayTimer;
class QNetworkAccessManager;
class QNetworkReply;
class QNetworkRequest;
class QUrl;

// How a target talks to its service. The defaults are the running program's; tests shorten the
// waits and trust their own certificate.
struct RelayTargetOptions
{
    // A request without an answer after this long counts as failed.
    int timeoutMs = 10000;
    // Backoff after a failure: first wait, doubled after each further failure up to the cap.
    int firstBackoffMs = 1000;
    int maxBackoffMs = 30000;
    // Lines released but not yet sent; beyond this the oldest are dropped.
    int queueLimit = 10000;
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
};

// One Zoom or YouTube target: holds each caption line for the hold time, then posts it with the
// next seq, one request at a time and strictly in order. A failed request is retried with the same
// seq after a growing backoff while new lines queue behind it. Certificate errors are never
// ignored: they stop the target until it is started again.
class CRelayTarget final : public QObject
{
    Q_OBJECT

public:
    // The clock and the network manager must outlive the target.
    CRelayTarget(const RelayTargetSettings &settings, IRelayClock &clock, QNetworkAccessManager &network,
                 RelayTargetOptions options = {}, QObject *parent = nullptr);
    ~CRelayTarget() override;
    CRelayTarget(const CRelayTarget &) = delete;
    CRelayTarget &operator=(const CRelayTarget &) = delete;

    const RelayTargetSettings &settings() const { return m_settings; }
    // Kind and host, the only things logs say about a target.
    QString logName() const { return m_strLogName; }

    // Starts sending when the settings have it on and the URL is usable; Zoom first reads the
    // last accepted seq. Stop drops every line not yet sent.
    void Start();
    void Stop();
    void setEnabled(bool enabled);
    // For lines shown from now on.
    void setHoldMs(int holdMs);

    // The display's stream: a line as shown (LF between the lines of a multi-line caption), and
    // a line taken back.
    void lineShown(qint64 id, const QString &text, const QDateTime &utcTime);
    void lineWithdrawn(qint64 id);

    RelayState state() const { return m_state; }
    // "200 OK", "503 Service Unavailable", a network error text or why the target was refused.
    QString lastAnswer() const { return m_strLastAnswer; }
    // Held, queued and in flight.
    int linesWaiting() const;
    // Of those, the lines still inside their hold time.
    int linesHeld() const { return static_cast<int>(m_held.size()); }
    // From the last sent line's time to its answer; -1 before the first.
    qint64 lastDelayMs() const { return m_nLastDelayMs; }
    // The seq the next new caption goes out with; 0 while Zoom's is being read.
    qint64 nextSeq() const { return m_nNextSeq; }
    // YouTube's clock minus ours, as its last answer told.
    qint64 clockOffsetMs() const { return m_nClockOffsetMs; }
    // Lines dropped from a full queue during this run.
    qint64 droppedLines() const { return m_nDropped; }

signals:
    // State, last answer, lines waiting or delay changed.
    void statusChanged();
    // The service accepted the line.
    void lineSent(qint64 id, qint64 seq);

private:
    struct Line
    {
        qint64 id = 0;
        QString text;
        QDateTime utc;
        qint64 releaseAtMs = 0;
    };
    enum class Request
    {
        Seq,
        Caption,
    };

    void releaseHeld();
    void enqueue(Line line);
    void pump();
    void send(Request kind, const QNetworkRequest &request, const QByteArray *body);
    void onReplyFinished(QNetworkReply *reply);
    void onTimeout();
    void onSeqAnswer(bool ok, const QByteArray &body);
    void onCaptionAnswer(bool ok, const QByteArray &body);
    void failed();
    void refuse(const QString &reason);
    void dropPending(const QString &why);
    void rememberSent(qint64 id);
    void abortReply();
    void setState(RelayState state);
    QNetworkRequest makeRequest(const QUrl &url) const;

    RelayTargetSettings m_settings;
    IRelayClock &m_clock;
    QNetworkAccessManager &m_network;
    RelayTargetOptions m_options;
    QString m_strLogName;

    std::unique_ptr<IRelayTimer> m_holdTimer;
    std::unique_ptr<IRelayTimer> m_retryTimer;
    std::unique_ptr<IRelayTimer> m_timeoutTimer;

    std::deque<Line> m_held;
    std::deque<Line> m_queue;
    std::optional<Line> m_inFlight;
    // Ids held, queued or in flight, so that a line shown twice goes out once.
    QSet<qint64> m_pendingIds;
    // Recently sent ids, for telling a late withdrawal from one of a line never seen.
    QSet<qint64> m_sentIds;
    std::deque<qint64> m_sentOrder;

    QPointer<QNetworkReply> m_reply;
    Request m_replyKind = Request::Caption;
    bool m_bTimedOut = false;
    QString m_strSslErrors;
    QDateTime m_requestSentUtc;

    RelayState m_state = RelayState::Stopped;
    QString m_strLastAnswer;
    qint64 m_nNextSeq = 0;
    qint64 m_nBackoffMs = 0;
    qint64 m_nLastDelayMs = -1;
    qint64 m_nClockOffsetMs = 0;
    bool m_bClockOffsetKnown = false;
    bool m_bOutage = false;
    int m_nFailures = 0;
    qint64 m_nOutageStartMs = 0;
    qint64 m_nDropped = 0;
    qint64 m_nDroppedInOutage = 0;
};
