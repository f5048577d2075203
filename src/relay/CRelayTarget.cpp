#include "relay/CRelayTarget.h"

#include "core/OperationLog.h"
#include "relay/CRelayRequestFormat.h"
#include "relay/IRelayClock.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSslError>

#include <algorithm>
#include <limits>

namespace {

bool isBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

} // namespace

CRelayTarget::CRelayTarget(const RelayTargetSettings &settings, IRelayClock &clock,
                           QNetworkAccessManager &network, RelayTargetOptions options, QObject *parent)
    : QObject(parent), m_settings(settings), m_clock(clock), m_network(network),
      m_options(std::move(options)), m_strLogName(CRelayRequestFormat::LogName(settings.kind, settings.url))
{
    m_settings.holdMs = qBound(0, m_settings.holdMs, RelayTargetSettings::kMaxHoldMs);
    m_holdTimer = m_clock.createTimer([this] { releaseHeld(); });
    m_retryTimer = m_clock.createTimer([this] {
        setState(RelayState::Sending);
        pump();
        emit statusChanged();
    });
    m_timeoutTimer = m_clock.createTimer([this] { onTimeout(); });
    m_nBackoffMs = m_options.firstBackoffMs;
    if (m_settings.kind == RelayKind::YouTube)
        m_nNextSeq = 1;
}

CRelayTarget::~CRelayTarget()
{
    abortReply();
}

void CRelayTarget::Start()
{
    if (m_state != RelayState::Stopped || !m_settings.enabled)
        return;
    WriteLog(QStringLiteral("CRelayTarget::Start() begins. ") + m_strLogName);
    if (!CRelayRequestFormat::IsUsableUrl(m_settings.url)) {
        m_strLastAnswer = QStringLiteral("not an http or https caption URL");
        WriteLog(QStringLiteral("CRelayTarget::Start() ") + m_strLogName + QStringLiteral(" refused: ") +
                 m_strLastAnswer);
        emit statusChanged();
        return;
    }
    m_strLastAnswer.clear();
    m_bOutage = false;
    m_nFailures = 0;
    m_nBackoffMs = m_options.firstBackoffMs;
    setState(RelayState::Sending);
    if (m_settings.kind == RelayKind::Zoom) {
        // The meeting's seq runs on across senders and earlier runs: continue after the last one it took.
        m_nNextSeq = 0;
        const QUrl seqUrl = CRelayRequestFormat::ZoomSeqUrl(m_settings.url);
        if (seqUrl.isEmpty()) {
            m_strLastAnswer = QStringLiteral("no seq endpoint for this URL");
            onSeqAnswer(false, {});
        } else {
            send(Request::Seq, makeRequest(seqUrl), nullptr);
        }
    }
    WriteLog(QStringLiteral("CRelayTarget::Start() finished."));
    emit statusChanged();
}

void CRelayTarget::Stop()
{
    if (m_state == RelayState::Stopped)
        return;
    WriteLog(QStringLiteral("CRelayTarget::Stop() begins. ") + m_strLogName);
    abortReply();
    m_retryTimer->stop();
    dropPending(QStringLiteral("stopped"));
    setState(RelayState::Stopped);
    WriteLog(QStringLiteral("CRelayTarget::Stop() finished."));
    emit statusChanged();
}

void CRelayTarget::setEnabled(bool enabled)
{
    m_settings.enabled = enabled;
    if (enabled)
        Start();
    else
        Stop();
}

void CRelayTarget::setHoldMs(int holdMs)
{
    m_settings.holdMs = qBound(0, holdMs, RelayTargetSettings::kMaxHoldMs);
}

int CRelayTarget::linesWaiting() const
{
    return static_cast<int>(m_held.size() + m_queue.size()) + (m_inFlight ? 1 : 0);
}

void CRelayTarget::lineShown(qint64 id, const QString &text, const QDateTime &utcTime)
{
    if (m_state == RelayState::Stopped || isBlank(text) || m_pendingIds.contains(id) ||
        m_sentIds.contains(id))
        return;
    m_pendingIds.insert(id);
    Line line{id, text, utcTime.toUTC(), m_clock.monotonicMs() + m_settings.holdMs};
    if (m_held.empty() && m_settings.holdMs == 0) {
        enqueue(std::move(line));
        pump();
    } else {
        m_held.push_back(std::move(line));
        if (!m_holdTimer->isActive())
            releaseHeld();
    }
    emit statusChanged();
}

void CRelayTarget::lineWithdrawn(qint64 id)
{
    if (m_pendingIds.contains(id) && !(m_inFlight && m_inFlight->id == id)) {
        // Not sent yet: it never will be.
        const auto matches = [id](const Line &line) { return line.id == id; };
        m_held.erase(std::remove_if(m_held.begin(), m_held.end(), matches), m_held.end());
        m_queue.erase(std::remove_if(m_queue.begin(), m_queue.end(), matches), m_queue.end());
        m_pendingIds.remove(id);
        emit statusChanged();
        return;
    }
    // A request that may already have reached the service counts as sent.
    if (m_sentIds.contains(id) || (m_inFlight && m_inFlight->id == id))
        WriteLog(QStringLiteral("CRelayTarget::lineWithdrawn() ") + m_strLogName +
                 QStringLiteral(": the line was sent already and cannot be recalled."));
}

void CRelayTarget::releaseHeld()
{
    const qint64 now = m_clock.monotonicMs();
    // Released strictly in the order shown, even when the hold time changed in between.
    while (!m_held.empty() && m_held.front().releaseAtMs <= now) {
        enqueue(std::move(m_held.front()));
        m_held.pop_front();
    }
    if (!m_held.empty())
        m_holdTimer->start(m_held.front().releaseAtMs - now);
    pump();
    emit statusChanged();
}

void CRelayTarget::enqueue(Line line)
{
    if (static_cast<int>(m_queue.size()) >= m_options.queueLimit && !m_queue.empty()) {
        if (m_nDroppedInOutage == 0)
            WriteLogInt(QStringLiteral("CRelayTarget::enqueue() ") + m_strLogName +
                            QStringLiteral(" queue full, dropping the oldest lines. limit"),
                        m_options.queueLimit);
        m_pendingIds.remove(m_queue.front().id);
        m_queue.pop_front();
        ++m_nDropped;
        ++m_nDroppedInOutage;
    }
    m_queue.push_back(std::move(line));
}

void CRelayTarget::pump()
{
    if (m_state == RelayState::Stopped || m_reply || m_retryTimer->isActive() || m_nNextSeq == 0)
        return;
    if (!m_inFlight) {
        if (m_queue.empty()) {
            if (m_nDroppedInOutage > 0) {
                WriteLogInt(
                    QStringLiteral("CRelayTarget::pump() ") + m_strLogName +
                        QStringLiteral(" queue empty again. dropped lines"),
                    static_cast<int>(qMin<qint64>(m_nDroppedInOutage, std::numeric_limits<int>::max())));
                m_nDroppedInOutage = 0;
            }
            return;
        }
        m_inFlight = std::move(m_queue.front());
        m_queue.pop_front();
    }
    // The line's time in YouTube's clock, so the stream places it where it was spoken.
    const QDateTime time = m_inFlight->utc.addMSecs(m_nClockOffsetMs);
    QNetworkRequest request = makeRequest(
        CRelayRequestFormat::CaptionUrl(m_settings.kind, m_settings.url, m_nNextSeq, m_settings.language));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArray(CRelayRequestFormat::kContentType));
    const QByteArray body = CRelayRequestFormat::CaptionBody(m_settings.kind, m_inFlight->text, time);
    send(Request::Caption, request, &body);
}

QNetworkRequest CRelayTarget::makeRequest(const QUrl &url) const
{
    QNetworkRequest request(url);
    request.setSslConfiguration(m_options.ssl);
    // A redirect would carry the caption (and for a GET the credentials) somewhere else; a 3xx
    // counts as a failed request instead.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    return request;
}

void CRelayTarget::send(Request kind, const QNetworkRequest &request, const QByteArray *body)
{
    m_replyKind = kind;
    m_bTimedOut = false;
    m_strSslErrors.clear();
    m_requestSentUtc = m_clock.currentUtc();
    QNetworkReply *reply = body ? m_network.post(request, *body) : m_network.get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::sslErrors, this, [this](const QList<QSslError> &errors) {
        QStringList texts;
        for (const QSslError &error : errors)
            texts.append(error.errorString());
        m_strSslErrors = texts.join(QStringLiteral("; "));
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { onReplyFinished(reply); });
    m_timeoutTimer->start(m_options.timeoutMs);
}

void CRelayTarget::abortReply()
{
    m_timeoutTimer->stop();
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void CRelayTarget::onTimeout()
{
    if (!m_reply)
        return;
    m_bTimedOut = true;
    m_reply->abort();
}

void CRelayTarget::onReplyFinished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return;
    m_reply = nullptr;
    m_timeoutTimer->stop();
    if (!m_strSslErrors.isEmpty()) {
        refuse(QStringLiteral("certificate refused: ") + m_strSslErrors);
        return;
    }
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool ok = !m_bTimedOut && reply->error() == QNetworkReply::NoError && status >= 200 && status < 300;
    if (m_bTimedOut) {
        m_strLastAnswer = QStringLiteral("no answer within %1 s").arg(m_options.timeoutMs / 1000.0);
    } else if (status != 0) {
        m_strLastAnswer = QStringLiteral("%1 %2").arg(status).arg(
            QString::fromLatin1(reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toByteArray()));
        m_strLastAnswer = m_strLastAnswer.trimmed();
    } else {
        // Qt quotes the whole URL in some of its texts.
        m_strLastAnswer = CRelayRequestFormat::Redacted(reply->errorString());
    }
    const QByteArray body = ok ? reply->readAll() : QByteArray();
    if (m_replyKind == Request::Seq)
        onSeqAnswer(ok, body);
    else
        onCaptionAnswer(ok, body);
    emit statusChanged();
}

void CRelayTarget::onSeqAnswer(bool ok, const QByteArray &body)
{
    const std::optional<qint64> lastSeq = ok ? CRelayRequestFormat::ParseZoomSeq(body) : std::nullopt;
    if (lastSeq) {
        m_nNextSeq = *lastSeq + 1;
        WriteLog(QStringLiteral("CRelayTarget::ReadSeq() ") + m_strLogName +
                 QStringLiteral(" last seq : %1").arg(*lastSeq));
    } else {
        m_nNextSeq = 1;
        WriteLog(QStringLiteral("CRelayTarget::ReadSeq() ") + m_strLogName + QStringLiteral(" failed (") +
                 m_strLastAnswer + QStringLiteral("), starting at seq 1."));
    }
    pump();
}

void CRelayTarget::onCaptionAnswer(bool ok, const QByteArray &body)
{
    if (!ok) {
        failed();
        return;
    }
    const QDateTime now = m_clock.currentUtc();
    if (m_settings.kind == RelayKind::YouTube) {
        if (const std::optional<QDateTime> server = CRelayRequestFormat::ParseYouTubeTime(body)) {
            // Its time was taken somewhere between our request and its answer: take the middle.
            const QDateTime middle = m_requestSentUtc.addMSecs(m_requestSentUtc.msecsTo(now) / 2);
            const qint64 offset = middle.msecsTo(*server);
            if (!m_bClockOffsetKnown || qAbs(offset - m_nClockOffsetMs) >= 1000)
                WriteLog(QStringLiteral("CRelayTarget::onCaptionAnswer() ") + m_strLogName +
                         QStringLiteral(" clock offset [ms] : %1").arg(offset));
            m_nClockOffsetMs = offset;
            m_bClockOffsetKnown = true;
        }
    }
    if (m_bOutage) {
        WriteLog(QStringLiteral("CRelayTarget::onCaptionAnswer() ") + m_strLogName +
                 QStringLiteral(" outage finished after %1 failed requests, %2 s.")
                     .arg(m_nFailures)
                     .arg((m_clock.monotonicMs() - m_nOutageStartMs) / 1000));
        m_bOutage = false;
    }
    m_nFailures = 0;
    m_nBackoffMs = m_options.firstBackoffMs;
    const Line line = std::move(*m_inFlight);
    m_inFlight.reset();
    m_pendingIds.remove(line.id);
    rememberSent(line.id);
    m_nLastDelayMs = line.utc.msecsTo(now);
    const qint64 seq = m_nNextSeq++;
    emit lineSent(line.id, seq);
    pump();
}

void CRelayTarget::failed()
{
    ++m_nFailures;
    if (!m_bOutage) {
        m_bOutage = true;
        m_nOutageStartMs = m_clock.monotonicMs();
        WriteLog(QStringLiteral("CRelayTarget::failed() ") + m_strLogName +
                 QStringLiteral(" outage begins: ") + m_strLastAnswer);
    }
    setState(RelayState::WaitingToRetry);
    m_retryTimer->start(m_nBackoffMs);
    m_nBackoffMs = qMin<qint64>(m_nBackoffMs * 2, m_options.maxBackoffMs);
}

void CRelayTarget::refuse(const QString &reason)
{
    m_strLastAnswer = reason;
    WriteLog(QStringLiteral("CRelayTarget::refuse() ") + m_strLogName + QStringLiteral(" stopped, ") +
             reason);
    m_retryTimer->stop();
    dropPending(QStringLiteral("refused"));
    setState(RelayState::Stopped);
    emit statusChanged();
}

void CRelayTarget::dropPending(const QString &why)
{
    const int unsent = linesWaiting();
    if (unsent > 0)
        WriteLogInt(QStringLiteral("CRelayTarget ") + m_strLogName + u' ' + why +
                        QStringLiteral(", lines not sent"),
                    unsent);
    m_holdTimer->stop();
    m_held.clear();
    m_queue.clear();
    m_inFlight.reset();
    m_pendingIds.clear();
    m_nDroppedInOutage = 0;
}

void CRelayTarget::rememberSent(qint64 id)
{
    m_sentIds.insert(id);
    m_sentOrder.push_back(id);
    if (static_cast<int>(m_sentOrder.size()) > m_options.queueLimit) {
        m_sentIds.remove(m_sentOrder.front());
        m_sentOrder.pop_front();
    }
}

void CRelayTarget::setState(RelayState state)
{
    m_state = state;
}
