#pragma once

#include "timeline/ICaptionFeedListener.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QSet>

#include <deque>

class CCaptionFeed;
class ReceivedMain;

// The caption changes as server-sent events for the live pages: only the lines of the server's
// channel and group (as on the classic page), numbered RUN-N per run of the server, with the
// recent events remembered so that a reader who reconnects gets exactly what it missed, and the
// current state for one who was away longer. No sockets here: the server pushes the bytes.
class CLiveEvents final : public QObject, private ICaptionFeedListener
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CLiveEvents)

public:
    // The newest lines a reader gets when it (re)joins without a usable event id.
    static constexpr int kStateLines = 200;
    // Events kept for readers that reconnect; older ids get the state instead.
    static constexpr int kRememberedEvents = 5000;

    // Listens to the feed until destroyed; the feed and its store must outlive this. An empty
    // run draws a random token (tests pass their own).
    CLiveEvents(CCaptionFeed &feed, const ReceivedMain &store, QByteArray run = {},
                QObject *parent = nullptr);
    ~CLiveEvents() override;

    const QByteArray &run() const { return m_run; }
    // The number of the newest event; 0 before the first.
    qint64 lastEvent() const { return m_nLast; }

    // What a reader gets right after the stream opens, for the Last-Event-ID it sent (empty when
    // none): the events after the one it names, or a reset with the current state when the id is
    // of another run, unknown, or older than what is remembered.
    QByteArray catchUp(QByteArrayView lastEventId);
    // The current state as a reset event under the newest id.
    QByteArray resetEvent();

    // Notices a change of the server's channel or group (login, logoff), which nothing in the
    // feed announces: the old lines leave every reader's live view through a reset event.
    void Refresh();

signals:
    // A new event, whole, for every open stream.
    void eventAppended(const QByteArray &bytes);

private:
    struct StateLine
    {
        qint64 id = 0;
        QByteArray json;
    };

    void captionAdded(const CaptionFeedLine &line) override;
    void captionWithdrawn(qint64 id) override;

    bool ChannelChanged();
    // The state again from the store, in store order: needed when a line lands between others.
    void RebuildState();
    void ForgetEvicted();
    void Append(const char *kind, const QByteArray &data);
    QByteArray StateJson() const;

    CCaptionFeed &m_feed;
    const ReceivedMain &m_store;
    QByteArray m_run;
    int m_nChannel = -1;
    int m_nGroup = -1;
    qint64 m_nLast = 0;
    std::deque<QByteArray> m_events;
    std::deque<StateLine> m_state;
    // Lines that went out and were not withdrawn since: only these may be withdrawn on a page.
    QSet<qint64> m_shown;
    QByteArray m_resetCache;
};
