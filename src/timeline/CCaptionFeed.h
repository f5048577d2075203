#pragma once

#include "timeline/ICaptionFeedListener.h"
#include "timeline/ICaptionStoreObserver.h"

#include <QHash>
#include <QList>

#include <functional>

class ReceivedMain;

// Turns the caption store's changes into a stream of added and withdrawn lines with stable ids,
// for the readers the room does not hold (the live web page, caption relays). The store tells it
// after each change; it compares the store with what it has reported so far, so that every
// record is reported once, in store order, whatever path changed the store.
class CCaptionFeed final : private ICaptionStoreObserver
{
public:
    using UtcNow = std::function<QDateTime()>;

    // Attaches to the store, which must outlive the feed. Records already stored count as
    // reported.
    explicit CCaptionFeed(ReceivedMain &store, UtcNow now = {});
    ~CCaptionFeed() override;
    CCaptionFeed(const CCaptionFeed &) = delete;
    CCaptionFeed &operator=(const CCaptionFeed &) = delete;

    // Listeners must be removed before they are destroyed.
    void addListener(ICaptionFeedListener *listener);
    void removeListener(ICaptionFeedListener *listener);

    // Every record now in the store, oldest first, withdrawn ones included.
    QList<CaptionFeedLine> currentLines() const;

    // Reports what changed since the last report (the store calls it; tests may too).
    void Sync();

    // The full UTC time of a time of day in milliseconds (the limited time base keeps whole days
    // away): the one nearest to now.
    static QDateTime typedUtcTime(qint32 timeOfDay, const QDateTime &nowUtc);

private:
    void captionStoreChanged() override { Sync(); }
    CaptionFeedLine lineAt(int pos, const QDateTime &nowUtc) const;

    ReceivedMain &m_store;
    UtcNow m_now;
    QList<ICaptionFeedListener *> m_listeners;
    qint64 m_nLastId = 0;
    // The withdrawal state last reported, for the records still stored.
    QHash<qint64, bool> m_withdrawn;
};
