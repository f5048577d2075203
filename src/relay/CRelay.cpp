#include "relay/CRelay.h"

#include "core/OperationLog.h"
#include "relay/CRelaySystemClock.h"

#include <QNetworkAccessManager>

namespace {

// The same service, so the target and its seq carry over.
bool sameService(const RelayTargetSettings &a, const RelayTargetSettings &b)
{
    return a.kind == b.kind && a.url == b.url && a.language == b.language;
}

} // namespace

CRelay::CRelay(IRelayClock *clock, RelayTargetOptions options, QObject *parent)
    : QObject(parent), m_ownClock(clock ? nullptr : std::make_unique<CRelaySystemClock>()),
      m_clock(clock ? *clock : *m_ownClock), m_options(std::move(options)),
      m_network(new QNetworkAccessManager(this))
{
}

CRelay::~CRelay()
{
    // The targets abort their requests before the network manager goes.
    m_targets.clear();
}

void CRelay::ApplySettings(const QList<RelayTargetSettings> &targets)
{
    WriteLog(QStringLiteral("CRelay::ApplySettings() begins."));
    const int count = static_cast<int>(qMin<qsizetype>(targets.size(), kMaxTargets));
    bool changed = static_cast<int>(m_targets.size()) != count;
    while (static_cast<int>(m_targets.size()) > count) {
        m_targets.back()->Stop();
        m_targets.pop_back();
    }
    int enabled = 0;
    for (int i = 0; i < count; ++i) {
        const RelayTargetSettings &wanted = targets.at(i);
        enabled += wanted.enabled ? 1 : 0;
        if (i < static_cast<int>(m_targets.size()) && sameService(m_targets[i]->settings(), wanted)) {
            m_targets[i]->setHoldMs(wanted.holdMs);
            m_targets[i]->setEnabled(wanted.enabled);
            continue;
        }
        auto target = std::make_unique<CRelayTarget>(wanted, m_clock, *m_network, m_options);
        if (i < static_cast<int>(m_targets.size())) {
            m_targets[i]->Stop();
            m_targets[i] = std::move(target);
        } else {
            m_targets.push_back(std::move(target));
        }
        m_targets[i]->Start();
        changed = true;
    }
    WriteLogInt(QStringLiteral("CRelay::ApplySettings() targets on"), enabled);
    WriteLog(QStringLiteral("CRelay::ApplySettings() finished."));
    if (changed)
        emit targetsChanged();
}

QList<RelayTargetSettings> CRelay::settings() const
{
    QList<RelayTargetSettings> result;
    for (const auto &target : m_targets)
        result.append(target->settings());
    return result;
}

CRelayTarget *CRelay::target(int index) const
{
    return index >= 0 && index < targetCount() ? m_targets[index].get() : nullptr;
}

void CRelay::Stop()
{
    for (const auto &target : m_targets)
        target->Stop();
}

void CRelay::lineShown(qint64 id, const QString &text, const QDateTime &utcTime)
{
    for (const auto &target : m_targets)
        target->lineShown(id, text, utcTime);
}

void CRelay::lineWithdrawn(qint64 id)
{
    for (const auto &target : m_targets)
        target->lineWithdrawn(id);
}
