#pragma once

#include "timeline/CReceivedMainData.h"
#include "timeline/IRecordHistory.h"

class ICaptionStoreObserver;

#include <QRect>
#include <QString>

#include <deque>

class ITextMeasurer;

// The caption store: every caption line of every typist, oldest first, bounded by m_nDataMax.
// Records keep the order in which the lines were typed, not the order in which their datagrams
// arrived. Serials are positional: the record at position p has serial
// m_nNextSerial - count + p, so inserting in the middle renumbers every later record.
// The store also wraps records into display lines for the display window.
class ReceivedMain final : public IRecordHistory
{
public:
    static constexpr int LOCATE_IGNORE = 0;
    static constexpr int LOCATE_DUPLICATE = 1;
    static constexpr int LOCATE_UPDATE = 2;
    static constexpr int LOCATE_APPEND = 3;
    static constexpr int LOCATE_INSERT = 4;
    static constexpr int LOCATE_TOO_OLD = 5;

    // GetLine results.
    static constexpr int LINE_MORE = 0;
    static constexpr int LINE_LAST = 1;
    static constexpr int LINE_SKIP = 2;
    static constexpr int LINE_END = 3;

    ReceivedMain();
    ReceivedMain(const ReceivedMain &) = delete;
    ReceivedMain &operator=(const ReceivedMain &) = delete;

    // Capacity, visible span and search limit from the kept-lines and display-lines settings.
    // Returns keep raised to at least 2 x lines (the caller stores that back); nothing changes
    // unless both are positive, and a store that already has a capacity keeps it.
    int Configure(int keep, int lines);

    // Login to a channel and group: a change of either restarts the base tick, so lines typed
    // before the switch are refused.
    void SetChannelGroup(int channel, int group);
    // Logoff: channel and group -1, base tick restarted.
    void SetOffline();
    void setOwnAddress(const QString &address) { m_strOwnAddress = address; }
    const QString &ownAddress() const { return m_strOwnAddress; }

    // Signed difference a - b of two times of day, folded into +-12 hours.
    static int DiffTimeOfDay(qint32 a, qint32 b);

    // Decides where an incoming line belongs; writes record.nTimeReceived and, except for an
    // early LOCATE_IGNORE, pos.
    int LocateData(CReceivedMainData &record, int &pos) const;
    void InsertData(int pos, CReceivedMainData record);
    int AppendData(CReceivedMainData record);
    int AddString(const QString &text, const QString &address, qint32 type);
    int UndoData(int pos, const CReceivedMainData &record);
    int RemoveLastString(bool local, CReceivedMainData *removed = nullptr);
    int RemoveLastStringFromQuorel();

    int count() const { return static_cast<int>(m_list.size()); }
    // nullptr when pos is not a kept position. Valid until the store next changes.
    const CReceivedMainData *at(int pos) const;
    bool GetAt(int pos, CReceivedMainData &out) const;
    bool SetAt(int pos, const CReceivedMainData &record);
    int SerialToPosition(int serial) const;
    int PositionToSerial(int pos) const;

    int dataMax() const { return m_nDataMax; }
    int nextSerial() const { return m_nNextSerial; }
    qint64 changeStamp() const { return m_nChangeStamp; }
    int visibleSpan() const { return m_nVisibleSpan; }
    int searchLimit() const { return m_nSearchLimit; }
    int channel() const { return m_nChannel; }
    int group() const { return m_nGroup; }
    quint32 baseTick() const { return m_nBaseTick; }

    // Told after every change of the records (nullptr: nobody). Must outlive its attachment.
    void setObserver(ICaptionStoreObserver *observer) { m_pObserver = observer; }

    // IRecordHistory
    qint64 historyVersion() const override { return m_nChangeStamp; }
    void newestWireLines(int max, QStringList &out) const override;

    // Line layout. The measurer stands for the display font.
    int UpdateMetrics(const ITextMeasurer &measurer);
    int LayoutData(CReceivedMainData &record, const ITextMeasurer &measurer);
    int GetLine(int serial, int index, QString &out, const ITextMeasurer &measurer);
    int GoLast(const ITextMeasurer &measurer, int &topSerial, int &topLine);

    // The display window's client rectangle; attaches the display. Its right and bottom edges are
    // x + width and y + height, as the platform's client rectangles count them.
    void setDisplayClientRect(const QRect &rect);
    void detachDisplay() { m_bDisplayAttached = false; }
    bool displayAttached() const { return m_bDisplayAttached; }
    // Anything that changes wrapping: every record is re-wrapped when next read.
    void BumpLayoutGeneration();
    void InvalidateMetrics() { m_bMetricsValid = false; }
    void setLineHeightPercent(int percent) { m_nLineHeightPercent = percent; }
    // Ignored unless both are at most 20.
    void setMargins(int x, int y);
    void setBorderless(bool borderless, int left, int top, int right, int bottom);
    // Ignored above 99.
    void setOutlineWidth(int width);

    bool metricsValid() const { return m_bMetricsValid; }
    int layoutGeneration() const { return m_nLayoutGeneration; }
    int linesPerScreen() const { return m_nLinesPerScreen; }
    int linePitch() const { return m_nLinePitch; }
    int lineHeightPercent() const { return m_nLineHeightPercent; }
    int marginX() const { return m_nMarginX; }
    int marginY() const { return m_nMarginY; }
    bool borderless() const { return m_bBorderless; }
    int outlineWidth() const { return m_nOutlineWidth; }
    QRect clientRect() const { return m_rcClient; }
    const QString &noLineStart() const { return m_strNoLineStart; }

private:
    // The bounded list: each returns false when it refused.
    bool listAppend(CReceivedMainData &&record);
    bool listInsert(int pos, CReceivedMainData &&record);
    void discardOldest();
    void indexInsert(int pos);
    void indexErase(int pos);
    void prepareForStore(CReceivedMainData &record) const;
    // Position of the newest record that is not withdrawn, -1 when none is kept.
    int newestVisiblePosition() const;
    void relayoutIfStale(CReceivedMainData &record, const ITextMeasurer &measurer);
    int insetLeft() const { return m_bBorderless ? m_nInsetLeft : 0; }
    int insetTop() const { return m_bBorderless ? m_nInsetTop : 0; }
    int insetRight() const { return m_bBorderless ? m_nInsetRight : 0; }
    int insetBottom() const { return m_bBorderless ? m_nInsetBottom : 0; }

    void notifyChanged();

    std::deque<CReceivedMainData> m_list;
    qint64 m_nLastUid = 0;
    ICaptionStoreObserver *m_pObserver = nullptr;
    // Where the lettered (A-Z) records are, ascending, as position + m_nEvicted, so that an
    // eviction shifts nothing. LocateData walks only these: plain peer lines may fill the store.
    std::deque<qint64> m_letteredIndex;
    qint64 m_nEvicted = 0;
    int m_nDataMax = 0;
    int m_nNextSerial = 0;
    qint64 m_nChangeStamp = 0;
    int m_nVisibleSpan = 0;
    int m_nSearchLimit = 30;
    int m_nChannel = -1;
    int m_nGroup = -1;
    quint32 m_nBaseTick = 0;
    QString m_strOwnAddress;

    bool m_bDisplayAttached = false;
    QRect m_rcDisplay; // as the display reports it
    QRect m_rcClient;  // as read by the last UpdateMetrics
    bool m_bMetricsValid = false;
    int m_nLayoutGeneration = 0;
    int m_nLinesPerScreen = 0;
    int m_nLinePitch = 0;
    int m_nLineHeightPercent = 100;
    int m_nMarginX = 0;
    int m_nMarginY = 0;
    bool m_bBorderless = false;
    int m_nInsetLeft = 0;
    int m_nInsetTop = 0;
    int m_nInsetRight = 0;
    int m_nInsetBottom = 0;
    int m_nOutlineWidth = 0;
    QString m_strNoLineStart;
};
