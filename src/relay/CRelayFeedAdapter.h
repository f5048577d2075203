#pragma once

#include "timeline/ICaptionFeedListener.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>

#include <deque>

class CCaptionFeed;

// Turns the caption feed into the lines a relay sends: every line as the display shows it, from
// every member, each once, in the order the feed reports them. A gross text goes as its lines, each
// a caption of its own; screen clears, empty lines (the start-up blanks, a peer's clear) and lines
// already withdrawn when they arrive send nothing. Signals carry ids of its own, so that a gross
// text's lines can be withdrawn one by one.
class CRelayFeedAdapter final : public QObject, private ICaptionFeedListener
{
    Q_OBJECT

public:
    // Listens to the feed, which must outlive the adapter, until destroyed.
    explicit CRelayFeedAdapter(CCaptionFeed &feed, QObject *parent = nullptr);
    ~CRelayFeedAdapter() override;
    CRelayFeedAdapter(const CRelayFeedAdapter &) = delete;
    CRelayFeedAdapter &operator=(const CRelayFeedAdapter &) = delete;

signals:
    // Connect to CRelay::lineShown / CRelay::lineWithdrawn.
    void lineShown(qint64 id, const QString &text, const QDateTime &utcTime);
    void lineWithdrawn(qint64 id);

private:
    void captionAdded(const CaptionFeedLine &line) override;
    void captionWithdrawn(qint64 id) override;

    CCaptionFeed &m_feed;
    qint64 m_nLastId = 0;
    // The ids given to each feed record's lines, for its withdrawal; bounded, oldest forgotten.
    QHash<qint64, QList<qint64>> m_ids;
    std::deque<qint64> m_order;
};
