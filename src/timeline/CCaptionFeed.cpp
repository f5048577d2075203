#include "timeline/CCaptionFeed.h"

#include "timeline/ReceivedMain.h"

namespace {

constexpr qint64 kDayMs = 86400000;

} // namespace

CCaptionFeed::CCaptionFeed(ReceivedMain &store, UtcNow now) : m_store(store), m_now(std::move(now))
{
    for (int pos = 0; pos < m_store.count(); ++pos) {
        const CReceivedMainData *record = m_store.at(pos);
        m_withdrawn.insert(record->nUid, record->isWithdrawn());
        m_nLastId = std::max(m_nLastId, record->nUid);
    }
    m_store.setObserver(this);
}

CCaptionFeed::~CCaptionFeed()
{
    m_store.setObserver(nullptr);
}

void CCaptionFeed::addListener(ICaptionFeedListener *listener)
{
    if (listener && !m_listeners.contains(listener))
        m_listeners.append(listener);
}

void CCaptionFeed::removeListener(ICaptionFeedListener *listener)
{
    m_listeners.removeAll(listener);
}

QDateTime CCaptionFeed::typedUtcTime(qint32 timeOfDay, const QDateTime &nowUtc)
{
    const qint64 ofDay = ((static_cast<qint64>(timeOfDay) % kDayMs) + kDayMs) % kDayMs;
    const QDateTime midnight(nowUtc.date(), QTime(0, 0), Qt::UTC);
    QDateTime typed = midnight.addMSecs(ofDay);
    const qint64 ahead = nowUtc.msecsTo(typed);
    if (ahead > kDayMs / 2)
        typed = typed.addDays(-1);
    else if (ahead < -kDayMs / 2)
        typed = typed.addDays(1);
    return typed;
}

CaptionFeedLine CCaptionFeed::lineAt(int pos, const QDateTime &nowUtc) const
{
    const CReceivedMainData &record = *m_store.at(pos);
    CaptionFeedLine line;
    line.id = record.nUid;
    line.afterId = pos > 0 ? m_store.at(pos - 1)->nUid : 0;
    line.beforeId = pos + 1 < m_store.count() ? m_store.at(pos + 1)->nUid : 0;
    line.text = record.strRaw;
    line.type = record.nType;
    line.withdrawn = record.isWithdrawn();
    line.author = record.strIpAddress;
    line.channel = record.nChannel;
    line.group = record.nGroup;
    // Lines stored without a send time (a peer's plain lines) were typed just now.
    line.typedUtc = record.nTimeSent != 0 ? typedUtcTime(record.nTimeSent, nowUtc) : nowUtc;
    return line;
}

QList<CaptionFeedLine> CCaptionFeed::currentLines() const
{
    const QDateTime now = m_now ? m_now() : QDateTime::currentDateTimeUtc();
    QList<CaptionFeedLine> lines;
    lines.reserve(m_store.count());
    for (int pos = 0; pos < m_store.count(); ++pos)
        lines.append(lineAt(pos, now));
    return lines;
}

void CCaptionFeed::Sync()
{
    const QDateTime now = m_now ? m_now() : QDateTime::currentDateTimeUtc();
    QList<CaptionFeedLine> added;
    QList<qint64> withdrawn;
    QHash<qint64, bool> states;
    states.reserve(m_store.count());
    qint64 lastId = m_nLastId;
    for (int pos = 0; pos < m_store.count(); ++pos) {
        const CReceivedMainData &record = *m_store.at(pos);
        if (record.nUid > m_nLastId) {
            added.append(lineAt(pos, now));
            lastId = std::max(lastId, record.nUid);
        } else if (record.isWithdrawn() && !m_withdrawn.value(record.nUid, true)) {
            withdrawn.append(record.nUid);
        }
        states.insert(record.nUid, record.isWithdrawn());
    }
    m_nLastId = lastId;
    // Evicted records are forgotten with the store.
    m_withdrawn = std::move(states);
    if (added.isEmpty() && withdrawn.isEmpty())
        return;
    // A listener may remove itself while being told.
    const QList<ICaptionFeedListener *> listeners = m_listeners;
    for (const CaptionFeedLine &line : std::as_const(added)) {
        for (ICaptionFeedListener *listener : listeners)
            listener->captionAdded(line);
    }
    for (qint64 id : std::as_const(withdrawn)) {
        for (ICaptionFeedListener *listener : listeners)
            listener->captionWithdrawn(id);
    }
}
