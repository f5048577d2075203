#include "web/CLiveEvents.h"

#include "timeline/CCaptionFeed.h"
#include "timeline/ReceivedMain.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>

namespace {

QByteArray lineJson(const CaptionFeedLine &line)
{
    QJsonObject object;
    object.insert(QStringLiteral("id"), line.id);
    object.insert(QStringLiteral("after"), line.afterId);
    object.insert(QStringLiteral("before"), line.beforeId);
    const char32_t type = static_cast<char32_t>(line.type);
    object.insert(QStringLiteral("type"),
                  type > 0 && type < 0x110000 ? QString::fromUcs4(&type, 1) : QString());
    object.insert(QStringLiteral("text"), line.text);
    object.insert(QStringLiteral("t"), line.typedUtc.isValid() ? line.typedUtc.toMSecsSinceEpoch() : 0);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

// "RUN-N" of this run: N, or -1.
qint64 eventNumber(QByteArrayView id, const QByteArray &run)
{
    id = id.trimmed();
    if (!id.startsWith(run) || id.size() <= run.size() + 1 || id.at(run.size()) != '-')
        return -1;
    const QByteArrayView digits = id.sliced(run.size() + 1);
    // Digits only: no sign, no spaces, and few enough not to overflow.
    if (digits.size() > 15)
        return -1;
    qint64 n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace

CLiveEvents::CLiveEvents(CCaptionFeed &feed, const ReceivedMain &store, QByteArray run, QObject *parent)
    : QObject(parent), m_feed(feed), m_store(store), m_run(std::move(run))
{
    if (m_run.isEmpty())
        m_run = QByteArray::number(QRandomGenerator::system()->generate(), 16).rightJustified(8, '0');
    m_nChannel = m_store.channel();
    m_nGroup = m_store.group();
    // What is stored already is shown to the first readers, as the classic page would show it.
    for (int pos = m_store.count() - 1; pos >= 0; --pos) {
        const CReceivedMainData &record = *m_store.at(pos);
        if (record.nChannel != m_nChannel || record.nGroup != m_nGroup)
            break;
        if (!record.isWithdrawn())
            m_shown.insert(record.nUid);
    }
    RebuildState();
    m_feed.addListener(this);
}

CLiveEvents::~CLiveEvents()
{
    m_feed.removeListener(this);
}

QByteArray CLiveEvents::catchUp(QByteArrayView lastEventId)
{
    ChannelChanged();
    const qint64 n = eventNumber(lastEventId, m_run);
    const qint64 first = m_nLast - static_cast<qint64>(m_events.size()) + 1;
    if (n < 0 || n > m_nLast || n < first - 1)
        return resetEvent();
    QByteArray missed;
    for (auto event = m_events.cbegin() + (n - first + 1); event != m_events.cend(); ++event)
        missed.append(*event);
    return missed;
}

QByteArray CLiveEvents::resetEvent()
{
    if (m_resetCache.isEmpty()) {
        m_resetCache = "event: reset\nid: " + m_run + '-' + QByteArray::number(m_nLast) +
                       "\ndata: " + StateJson() + "\n\n";
    }
    return m_resetCache;
}

void CLiveEvents::Refresh()
{
    ChannelChanged();
}

void CLiveEvents::captionAdded(const CaptionFeedLine &line)
{
    ChannelChanged();
    // A line stored already withdrawn was never shown anywhere.
    if (line.channel != m_nChannel || line.group != m_nGroup || line.withdrawn)
        return;
    m_shown.insert(line.id);
    const QByteArray json = lineJson(line);
    if (line.beforeId == 0) {
        m_state.push_back({line.id, json});
        while (m_state.size() > static_cast<size_t>(kStateLines))
            m_state.pop_front();
    } else {
        RebuildState();
    }
    ForgetEvicted();
    Append("add", json);
}

void CLiveEvents::captionWithdrawn(qint64 id)
{
    ChannelChanged();
    if (!m_shown.remove(id))
        return;
    for (auto line = m_state.begin(); line != m_state.end(); ++line) {
        if (line->id == id) {
            m_state.erase(line);
            break;
        }
    }
    Append("withdraw", QJsonDocument(QJsonObject{{QStringLiteral("id"), id}}).toJson(QJsonDocument::Compact));
}

bool CLiveEvents::ChannelChanged()
{
    if (m_store.channel() == m_nChannel && m_store.group() == m_nGroup)
        return false;
    m_nChannel = m_store.channel();
    m_nGroup = m_store.group();
    m_shown.clear();
    m_state.clear();
    m_resetCache.clear();
    Append("reset", StateJson());
    return true;
}

void CLiveEvents::RebuildState()
{
    const QList<CaptionFeedLine> lines = m_feed.currentLines();
    m_state.clear();
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->channel != m_nChannel || line->group != m_nGroup)
            break;
        if (m_state.size() == static_cast<size_t>(kStateLines))
            break;
        // Lines not told yet (later in the same change) come with their own event.
        if (!line->withdrawn && m_shown.contains(line->id))
            m_state.push_front({line->id, lineJson(*line)});
    }
    m_resetCache.clear();
}

void CLiveEvents::ForgetEvicted()
{
    // A line evicted from the store is never withdrawn; keep the set the size of the store.
    if (m_shown.size() <= 2 * m_store.count() + kStateLines)
        return;
    QSet<qint64> stored;
    stored.reserve(m_store.count());
    for (int pos = 0; pos < m_store.count(); ++pos) {
        if (m_shown.contains(m_store.at(pos)->nUid))
            stored.insert(m_store.at(pos)->nUid);
    }
    m_shown = std::move(stored);
}

void CLiveEvents::Append(const char *kind, const QByteArray &data)
{
    ++m_nLast;
    QByteArray event;
    event.reserve(data.size() + 48);
    event.append("event: ").append(kind).append("\nid: ").append(m_run).append('-');
    event.append(QByteArray::number(m_nLast)).append("\ndata: ").append(data).append("\n\n");
    m_events.push_back(event);
    while (m_events.size() > static_cast<size_t>(kRememberedEvents))
        m_events.pop_front();
    m_resetCache.clear();
    emit eventAppended(event);
}

QByteArray CLiveEvents::StateJson() const
{
    QByteArray json("{\"lines\":[");
    for (const StateLine &line : m_state) {
        if (json.size() > 10)
            json.append(',');
        json.append(line.json);
    }
    json.append("]}");
    return json;
}
