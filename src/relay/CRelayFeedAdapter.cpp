#include "relay/CRelayFeedAdapter.h"

#include "timeline/CCaptionFeed.h"

#include <algorithm>

namespace {

// A withdrawal comes while the line is on screen or just scrolled away; far fewer records than this.
constexpr size_t kRemembered = 10000;

bool isBlank(const QString &text)
{
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.isSpace(); });
}

} // namespace

CRelayFeedAdapter::CRelayFeedAdapter(CCaptionFeed &feed, QObject *parent) : QObject(parent), m_feed(feed)
{
    m_feed.addListener(this);
}

CRelayFeedAdapter::~CRelayFeedAdapter()
{
    m_feed.removeListener(this);
}

void CRelayFeedAdapter::captionAdded(const CaptionFeedLine &line)
{
    // A screen clear is a run of line feeds meant to scroll the screen empty.
    if (line.withdrawn || line.type == 'E')
        return;
    QStringList texts;
    if (line.type == 'G') {
        QString block = line.text;
        block.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        texts = block.split(u'\n');
    } else {
        texts.append(line.text);
    }
    QList<qint64> ids;
    for (const QString &text : std::as_const(texts)) {
        if (isBlank(text))
            continue;
        ids.append(++m_nLastId);
        emit lineShown(m_nLastId, text, line.typedUtc);
    }
    if (ids.isEmpty())
        return;
    m_ids.insert(line.id, ids);
    m_order.push_back(line.id);
    if (m_order.size() > kRemembered) {
        m_ids.remove(m_order.front());
        m_order.pop_front();
    }
}

void CRelayFeedAdapter::captionWithdrawn(qint64 id)
{
    for (qint64 lineId : m_ids.take(id))
        emit lineWithdrawn(lineId);
}
