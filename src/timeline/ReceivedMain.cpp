#include "timeline/ReceivedMain.h"

#include "core/ContinuousTime.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "timeline/CLineWrapper.h"
#include "timeline/ICaptionStoreObserver.h"
#include "timeline/ITextMeasurer.h"

#include <algorithm>
#include <limits>

namespace {

constexpr qint32 kDay = 86400000;
constexpr qint32 kHalfDay = 43200000;
// A same-typist line that arrived this much earlier than the incoming one is not overtaken.
constexpr qint32 kCloseArrival = -20000;
constexpr int kInfinity = std::numeric_limits<qint32>::max();
constexpr int kMinimumSearchLimit = 30;
constexpr int kNoLineStartStringId = 172;

bool isLettered(qint32 type)
{
    return CReceivedMainData::isLetteredType(type);
}

// Screen clears and gross texts stand for many lines at once; nobody can withdraw them.
bool isWithdrawableType(qint32 type)
{
    return isLettered(type) && type != 'E' && type != 'G';
}

int withoutSharedBit(qint32 flag)
{
    return flag & ~CReceivedMainData::kFlagWithdrawnShared;
}

} // namespace

ReceivedMain::ReceivedMain()
    : m_nBaseTick(ContinuousTime::SystemTimeToInt()),
      m_strNoLineStart(CStringTable::get(kNoLineStartStringId))
{
}

int ReceivedMain::Configure(int keep, int lines)
{
    if (keep <= 0 || lines <= 0)
        return keep;
    keep = std::max(keep, 2 * lines);
    if (m_nDataMax == 0)
        m_nDataMax = keep;
    m_nVisibleSpan = std::max(keep, 100);
    m_nSearchLimit = std::max(lines, kMinimumSearchLimit);
    return keep;
}

void ReceivedMain::SetChannelGroup(int channel, int group)
{
    if (channel == m_nChannel && group == m_nGroup)
        return;
    m_nChannel = channel;
    m_nGroup = group;
    m_nBaseTick = ContinuousTime::SystemTimeToInt();
}

void ReceivedMain::SetOffline()
{
    m_nChannel = -1;
    m_nGroup = -1;
    m_nBaseTick = ContinuousTime::SystemTimeToInt();
}

int ReceivedMain::DiffTimeOfDay(qint32 a, qint32 b)
{
    if (a == b)
        return 0;
    // Times are 32-bit and may wrap; the difference is taken modulo 2^32 like the peers do.
    const qint32 d = static_cast<qint32>(static_cast<quint32>(a) - static_cast<quint32>(b));
    qint32 r = d % kDay;
    if (r < -kHalfDay)
        r += kDay;
    else if (r > kHalfDay)
        r -= kDay;
    return r;
}

int ReceivedMain::LocateData(CReceivedMainData &record, int &pos) const
{
    // A forwarding member held the line for a while; count it as received when it first was.
    const int delay = DiffTimeOfDay(record.nTimeSenderSent, record.nTimeSenderReceived);
    record.nTimeReceived =
        static_cast<qint32>(static_cast<quint32>(record.nTimeActualReceived) - static_cast<quint32>(delay));
    const quint32 correctedTick = record.nTimeActualReceivedTick - static_cast<quint32>(delay);
    if (static_cast<qint32>(correctedTick - m_nBaseTick) < 0)
        return LOCATE_IGNORE; // typed before this member joined the channel and group

    int idxA = -1;        // just after the typist's previous line
    int idxB = -1;        // just after the newest other-typist line received no later
    int idxC = kInfinity; // earliest of the trailing run of other-typist lines received later
    int idxD = kInfinity; // earliest of the typist's own later-sent lines
    bool allClose = true;
    bool found = false;
    int foundResult = LOCATE_DUPLICATE;
    int examined = 0;
    int stoppedAt = -1;
    const int limit = std::max(m_nSearchLimit, kMinimumSearchLimit);

    for (auto it = m_letteredIndex.crbegin(); it != m_letteredIndex.crend(); ++it) {
        const int i = static_cast<int>(*it - m_nEvicted);
        const CReceivedMainData &stored = m_list[static_cast<size_t>(i)];
        if (++examined > limit) {
            stoppedAt = i;
            break;
        }
        if (stored.strIpAddress == record.strIpAddress) {
            const int s = DiffTimeOfDay(stored.nTimeSent, record.nTimeSent);
            if (DiffTimeOfDay(stored.nTimeActualReceived, record.nTimeActualReceived) < kCloseArrival)
                allClose = false;
            if (s == 0) {
                found = true;
                idxA = idxD = i;
                if (withoutSharedBit(stored.nFlag) == 0 && withoutSharedBit(record.nFlag) != 0 &&
                    isWithdrawableType(record.nType))
                    foundResult = LOCATE_UPDATE;
                stoppedAt = i;
                break;
            }
            if (s < 0) {
                idxA = i + 1;
                stoppedAt = i;
                break;
            }
            if (allClose)
                idxD = i;
        } else {
            const int r = DiffTimeOfDay(stored.nTimeReceived, record.nTimeReceived);
            if (r <= 0 && idxB == -1)
                idxB = i + 1;
            else if (r > 0 && idxB == -1)
                idxC = i;
        }
    }

    if (found) {
        pos = idxD;
        return foundResult;
    }
    // A forwarded copy of a line we never had directly: its typist's own datagrams decide.
    if (record.strIpAddress != record.strIpAddressSender) {
        pos = 0;
        return LOCATE_IGNORE;
    }

    int chosen;
    if (idxD < idxB)
        chosen = idxD;
    else if (idxA > idxC)
        chosen = idxA;
    else
        chosen = std::max(std::min(idxC, idxD), std::max(idxA, idxB));

    int result;
    if (chosen == kInfinity || chosen == count())
        result = LOCATE_APPEND;
    else if (idxA == -1 && idxB == -1 && stoppedAt > 0)
        result = LOCATE_TOO_OLD;
    else
        result = LOCATE_INSERT;
    pos = std::clamp(chosen, 0, count());
    return result;
}

void ReceivedMain::prepareForStore(CReceivedMainData &record) const
{
    record.FormatCache();
    // A screen clear scrolls every displayed line away; its wire form keeps the text as sent.
    if (record.nType == 'E')
        record.strRaw = QString(m_nLinesPerScreen + 1, QLatin1Char('\n'));
}

bool ReceivedMain::listAppend(CReceivedMainData &&record)
{
    if (m_nDataMax <= 0)
        return false;
    while (count() >= m_nDataMax)
        discardOldest();
    if (isLettered(record.nType))
        m_letteredIndex.push_back(m_nEvicted + count());
    record.nUid = ++m_nLastUid;
    m_list.push_back(std::move(record));
    return true;
}

bool ReceivedMain::listInsert(int pos, CReceivedMainData &&record)
{
    if (pos < 0 || m_nDataMax <= 0)
        return false;
    if (pos >= count())
        return listAppend(std::move(record));
    const bool lettered = isLettered(record.nType);
    record.nUid = ++m_nLastUid;
    m_list.insert(m_list.begin() + pos, std::move(record));
    // Everything from pos on moved up by one.
    const qint64 key = m_nEvicted + pos;
    for (auto it = std::lower_bound(m_letteredIndex.begin(), m_letteredIndex.end(), key);
         it != m_letteredIndex.end(); ++it)
        ++*it;
    if (lettered)
        indexInsert(pos);
    while (count() > m_nDataMax)
        discardOldest();
    return true;
}

void ReceivedMain::discardOldest()
{
    if (isLettered(m_list.front().nType))
        m_letteredIndex.pop_front();
    m_list.pop_front();
    ++m_nEvicted;
}

void ReceivedMain::indexInsert(int pos)
{
    const qint64 key = m_nEvicted + pos;
    m_letteredIndex.insert(std::lower_bound(m_letteredIndex.begin(), m_letteredIndex.end(), key), key);
}

void ReceivedMain::indexErase(int pos)
{
    const qint64 key = m_nEvicted + pos;
    const auto it = std::lower_bound(m_letteredIndex.begin(), m_letteredIndex.end(), key);
    if (it != m_letteredIndex.end() && *it == key)
        m_letteredIndex.erase(it);
}

void ReceivedMain::InsertData(int pos, CReceivedMainData record)
{
    prepareForStore(record);
    if (!listInsert(pos, std::move(record))) {
        WriteLogInt(QStringLiteral("ReceivedMain::InsertData part2 insert-item index:"), pos);
        WriteLog(record.dump());
    }
    ++m_nNextSerial;
    notifyChanged();
}

int ReceivedMain::AppendData(CReceivedMainData record)
{
    prepareForStore(record);
    listAppend(std::move(record));
    ++m_nNextSerial;
    m_nChangeStamp = static_cast<qint64>(m_nNextSerial) * 100;
    notifyChanged();
    return m_nNextSerial - 1;
}

int ReceivedMain::AddString(const QString &text, const QString &address, qint32 type)
{
    CReceivedMainData record;
    record.strRaw = text;
    record.strIpAddress = address;
    record.nStrLength = static_cast<qint32>(text.size());
    record.nChannel = m_nChannel;
    record.nGroup = m_nGroup;
    record.nType = type;
    record.nMaxLine = 1;
    record.arrLine[0] = text;
    listAppend(std::move(record));
    ++m_nNextSerial;
    notifyChanged();
    return m_nNextSerial - 1;
}

int ReceivedMain::UndoData(int pos, const CReceivedMainData &record)
{
    if (pos < 0 || pos >= count())
        return -1;
    CReceivedMainData &stored = m_list[static_cast<size_t>(pos)];
    // Bit 1 marks an undo heard on the shared protocol here; it never travels.
    const qint32 merged = withoutSharedBit(record.nFlag) | stored.nFlag;
    if (merged == stored.nFlag || !isWithdrawableType(record.nType))
        return -1;
    stored.nFlag = merged;
    stored.FormatCache();
    notifyChanged();
    return pos;
}

int ReceivedMain::newestVisiblePosition() const
{
    for (int p = count() - 1; p >= 0; --p) {
        if (!m_list[static_cast<size_t>(p)].isWithdrawn())
            return p;
    }
    return -1;
}

int ReceivedMain::RemoveLastString(bool local, CReceivedMainData *removed)
{
    if (m_nNextSerial < 1)
        return -1;
    const int pos = newestVisiblePosition();
    if (pos < 0)
        return 0;
    CReceivedMainData &stored = m_list[static_cast<size_t>(pos)];
    if (stored.nType == 'G' || stored.nType == 'E')
        return -1;
    if (removed)
        *removed = stored;
    const int lines = stored.nMaxLine;
    stored.nMaxLine = 0;
    stored.nFlag |= local ? CReceivedMainData::kFlagWithdrawnLocal : CReceivedMainData::kFlagWithdrawnShared;
    stored.FormatCache();
    ++m_nChangeStamp;
    notifyChanged();
    return lines;
}

int ReceivedMain::RemoveLastStringFromQuorel()
{
    if (m_nNextSerial < 1)
        return -1;
    const int pos = newestVisiblePosition();
    if (pos < 0)
        return 0;
    CReceivedMainData &stored = m_list[static_cast<size_t>(pos)];
    if (stored.nType != 'i')
        return -1;
    const int lines = stored.nMaxLine;
    stored.nMaxLine = 0;
    stored.nFlag |= CReceivedMainData::kFlagWithdrawnLocal;
    stored.FormatCache();
    notifyChanged();
    return lines;
}

void ReceivedMain::notifyChanged()
{
    if (m_pObserver)
        m_pObserver->captionStoreChanged();
}

const CReceivedMainData *ReceivedMain::at(int pos) const
{
    if (pos < 0 || pos >= count())
        return nullptr;
    return &m_list[static_cast<size_t>(pos)];
}

bool ReceivedMain::GetAt(int pos, CReceivedMainData &out) const
{
    const CReceivedMainData *record = at(pos);
    if (!record)
        return false;
    out = *record;
    return true;
}

bool ReceivedMain::SetAt(int pos, const CReceivedMainData &record)
{
    if (pos < 0 || pos >= count())
        return false;
    CReceivedMainData &stored = m_list[static_cast<size_t>(pos)];
    const bool was = isLettered(stored.nType);
    const bool now = isLettered(record.nType);
    if (was && !now)
        indexErase(pos);
    else if (!was && now)
        indexInsert(pos);
    // The record keeps the identity the store gave it.
    const qint64 uid = stored.nUid;
    stored = record;
    stored.nUid = uid;
    notifyChanged();
    return true;
}

int ReceivedMain::SerialToPosition(int serial) const
{
    const int first = m_nNextSerial - count();
    if (serial < first || serial >= m_nNextSerial)
        return -1;
    return serial - first;
}

int ReceivedMain::PositionToSerial(int pos) const
{
    if (pos < 0 || pos >= count())
        return -1;
    return m_nNextSerial - count() + pos;
}

void ReceivedMain::newestWireLines(int max, QStringList &out) const
{
    int taken = 0;
    for (int p = count() - 1; p >= 0 && taken < max; --p) {
        const CReceivedMainData &stored = m_list[static_cast<size_t>(p)];
        if (stored.nChannel != m_nChannel || stored.nGroup != m_nGroup)
            break;
        // Plain lines from the shared protocol have no wire form; a bare line feed would end
        // every receiver's record list at this point.
        if (stored.strCache.isEmpty())
            continue;
        out.append(stored.strCache);
        ++taken;
    }
}

// ---- Line layout -------------------------------------------------------------------------------

void ReceivedMain::setDisplayClientRect(const QRect &rect)
{
    m_rcDisplay = rect;
    m_bDisplayAttached = true;
}

void ReceivedMain::BumpLayoutGeneration()
{
    ++m_nLayoutGeneration;
    m_bMetricsValid = false;
}

void ReceivedMain::setMargins(int x, int y)
{
    if (x > 20 || y > 20)
        return;
    m_nMarginX = x;
    m_nMarginY = y;
}

void ReceivedMain::setBorderless(bool borderless, int left, int top, int right, int bottom)
{
    m_bBorderless = borderless;
    m_nInsetLeft = left;
    m_nInsetTop = top;
    m_nInsetRight = right;
    m_nInsetBottom = bottom;
}

void ReceivedMain::setOutlineWidth(int width)
{
    if (width <= 99)
        m_nOutlineWidth = width;
}

int ReceivedMain::UpdateMetrics(const ITextMeasurer &measurer)
{
    // A zero font height or percentage would divide by zero below; one pixel is the least line.
    const int lineHeight =
        std::max(1, (measurer.fontHeight() + 2 * m_nOutlineWidth) * m_nLineHeightPercent / 100);
    m_rcClient = m_rcDisplay;
    const int bottom = m_rcClient.y() + m_rcClient.height();
    const int usable = bottom - 2 * (m_nMarginY + m_nOutlineWidth) - insetTop() - insetBottom();
    m_nLinesPerScreen = std::max(usable / lineHeight, 1);
    // The spare pixels go between the lines, so the column fills the height.
    if (m_nLinesPerScreen > 1)
        m_nLinePitch = lineHeight + (usable - m_nLinesPerScreen * lineHeight) / (m_nLinesPerScreen - 1);
    else
        m_nLinePitch = lineHeight + 2;
    m_bMetricsValid = true;
    return m_nLinesPerScreen;
}

int ReceivedMain::LayoutData(CReceivedMainData &record, const ITextMeasurer &measurer)
{
    if (!m_bMetricsValid)
        UpdateMetrics(measurer);
    const int right = m_rcClient.x() + m_rcClient.width();
    const int avail = right - 2 * (m_nOutlineWidth + m_nMarginX) - insetLeft() - insetRight();
    const QStringList rows = CLineWrapper(measurer, avail, m_strNoLineStart).Wrap(record.strRaw);
    const int lineCount = static_cast<int>(rows.size());
    if (record.arrLine.size() < lineCount) {
        qsizetype size = std::max<qsizetype>(record.arrLine.size(), 10);
        while (size < lineCount)
            size *= 2;
        record.arrLine.resize(size);
    }
    std::copy(rows.cbegin(), rows.cend(), record.arrLine.begin());
    record.nMaxLine = lineCount;
    return lineCount;
}

void ReceivedMain::relayoutIfStale(CReceivedMainData &record, const ITextMeasurer &measurer)
{
    if (record.nDisplayStatus >= m_nLayoutGeneration)
        return;
    LayoutData(record, measurer);
    record.nDisplayStatus = m_nLayoutGeneration;
}

int ReceivedMain::GetLine(int serial, int index, QString &out, const ITextMeasurer &measurer)
{
    if (m_nNextSerial <= 0 || serial >= m_nNextSerial)
        return LINE_END;
    if (serial < m_nNextSerial - m_nVisibleSpan)
        return LINE_SKIP;
    const int pos = SerialToPosition(serial);
    if (pos < 0) {
        WriteLogInt(QStringLiteral("ReceivedMain::GetLine : get index:"), pos);
        return LINE_SKIP;
    }
    CReceivedMainData &stored = m_list[static_cast<size_t>(pos)];
    if (stored.isWithdrawn())
        return LINE_SKIP;
    relayoutIfStale(stored, measurer);
    if (index < 0 || index > stored.nMaxLine - 1)
        return LINE_SKIP;
    out = stored.arrLine.at(index);
    return index == stored.nMaxLine - 1 ? LINE_LAST : LINE_MORE;
}

int ReceivedMain::GoLast(const ITextMeasurer &measurer, int &topSerial, int &topLine)
{
    if (!m_bDisplayAttached)
        return 0;
    topSerial = 0;
    topLine = 0;
    if (m_nNextSerial == 0)
        return 1;
    if (!m_bMetricsValid)
        UpdateMetrics(measurer);
    int total = 0;
    for (int s = m_nNextSerial - 1; s >= 0; --s) {
        const int pos = SerialToPosition(s);
        if (pos < 0) {
            // Every older serial was evicted as well; one line says so.
            WriteLogInt(QStringLiteral("ReceivedMain::GoLast get index:"), pos);
            break;
        }
        CReceivedMainData &stored = m_list[static_cast<size_t>(pos)];
        if (stored.isWithdrawn())
            continue;
        relayoutIfStale(stored, measurer);
        total += stored.nMaxLine;
        if (total >= m_nLinesPerScreen) {
            topSerial = s;
            topLine = total - m_nLinesPerScreen;
            return 1;
        }
    }
    return 1;
}
