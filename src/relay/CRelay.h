#pragma once

#include "relay/CRelayTarget.h"
#include "relay/RelayTypes.h"

#include <QDateTime>
#include <QList>
#include <QObject>

#include <memory>
#include <vector>

class IRelayClock;
class QNetworkAccessManager;

// Sends the captions as the display shows them on to up to four Zoom or YouTube targets. The
// display's stream comes in through lineShown and lineWithdrawn; each target holds, queues and
// delivers on its own, so a slow or broken one never holds up another.
class CRelay final : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxTargets = kRelayMaxTargets;

    // Without a clock the relay runs on the system's. A clock handed in must outlive the relay.
    explicit CRelay(IRelayClock *clock = nullptr, RelayTargetOptions options = {}, QObject *parent = nullptr);
    ~CRelay() override;
    CRelay(const CRelay &) = delete;
    CRelay &operator=(const CRelay &) = delete;

    // Takes the targets' settings (the first four). A target whose kind, URL or language changed
    // starts anew (Zoom reads its seq again); on/off and the hold time change in place, so the
    // lines a target is delivering are not lost by a change of another.
    void ApplySettings(const QList<RelayTargetSettings> &targets);
    QList<RelayTargetSettings> settings() const;
    int targetCount() const { return static_cast<int>(m_targets.size()); }
    // Valid until the next targetsChanged.
    CRelayTarget *target(int index) const;
    // Stops every target, dropping what was not sent (at shutdown).
    void Stop();

public slots:
    void lineShown(qint64 id, const QString &text, const QDateTime &utcTime);
    void lineWithdrawn(qint64 id);

signals:
    // Targets were created or removed: views take the target objects again.
    void targetsChanged();

private:
    std::unique_ptr<IRelayClock> m_ownClock;
    IRelayClock &m_clock;
    RelayTargetOptions m_options;
    QNetworkAccessManager *m_network = nullptr;
    std::vector<std::unique_ptr<CRelayTarget>> m_targets;
};
