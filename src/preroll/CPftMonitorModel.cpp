#include "preroll/CPftMonitorModel.h"

#include "preroll/IPftMonitorView.h"
#include "timeline/ReceivedMain.h"

namespace {

const QString kLineEnd = QStringLiteral("\r\n");
// An update sent up to this long (ms) before the stored one and received within this long after
// it was overtaken by the stored one.
constexpr int kOvertakeWindow = 2000;

} // namespace

CPftMonitorModel::CPftMonitorModel(IPftMonitorView *view) : m_view(view) {}

void CPftMonitorModel::AppendFormerLine(const QString &address, const QString &line)
{
    m_former[address] += line + kLineEnd;
    m_current = address;
    refresh();
}

void CPftMonitorModel::AppendLatterLine(const QString &address, const QString &line)
{
    m_latter[address] += line + kLineEnd;
    m_current = address;
    refresh();
}

void CPftMonitorModel::ClearFormer(const QString &address)
{
    m_former[address].clear();
    m_current = address;
}

void CPftMonitorModel::ClearLatter(const QString &address)
{
    m_latter[address].clear();
    m_current = address;
}

bool CPftMonitorModel::SetFormer(const QString &address, const QString &text, qint32 firstTime,
                                 qint32 receiveTime)
{
    const bool fresh = isFresh(address, firstTime, receiveTime);
    if (fresh) {
        m_former[address] = text;
        m_current = address;
    }
    refresh();
    return fresh;
}

bool CPftMonitorModel::SetLatter(const QString &address, const QString &text, qint32 firstTime,
                                 qint32 receiveTime)
{
    const bool fresh = isFresh(address, firstTime, receiveTime);
    if (fresh) {
        m_latter[address] = text;
        m_current = address;
    }
    refresh();
    return fresh;
}

int CPftMonitorModel::boundary() const
{
    // Derived from the shown member's own former text, so that pre-rolls of two members arriving
    // interleaved cannot put the marker of one into the text of the other.
    return static_cast<int>(m_former.value(m_current).size());
}

QString CPftMonitorModel::shownText() const
{
    return m_former.value(m_current) + m_latter.value(m_current);
}

bool CPftMonitorModel::isFresh(const QString &address, qint32 firstTime, qint32 receiveTime)
{
    const auto it = m_times.find(address);
    if (it != m_times.end()) {
        const int dr = ReceivedMain::DiffTimeOfDay(receiveTime, it->received);
        const int ds = ReceivedMain::DiffTimeOfDay(firstTime, it->first);
        if (dr < 0)
            return false;
        if (dr < kOvertakeWindow && -kOvertakeWindow < ds && ds < 0)
            return false;
    }
    m_times.insert(address, Times{firstTime, receiveTime});
    return true;
}

void CPftMonitorModel::refresh()
{
    if (m_view)
        m_view->pftMonitorChanged();
}
