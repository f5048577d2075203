#include "relay/CRelaySystemClock.h"

#include <QTimer>

#include <algorithm>
#include <limits>

namespace {

class CQtRelayTimer final : public IRelayTimer
{
public:
    explicit CQtRelayTimer(std::function<void()> onTimeout)
    {
        m_timer.setSingleShot(true);
        // Holds are short and a coarse timer could add up to 5 % to them.
        m_timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_timer, &QTimer::timeout, std::move(onTimeout));
    }

    void start(qint64 delayMs) override
    {
        m_timer.start(static_cast<int>(std::clamp<qint64>(delayMs, 0, std::numeric_limits<int>::max())));
    }
    void stop() override { m_timer.stop(); }
    bool isActive() const override { return m_timer.isActive(); }

private:
    QTimer m_timer;
};

} // namespace

CRelaySystemClock::CRelaySystemClock()
{
    m_elapsed.start();
}

QDateTime CRelaySystemClock::currentUtc() const
{
    return QDateTime::currentDateTimeUtc();
}

qint64 CRelaySystemClock::monotonicMs() const
{
    return m_elapsed.elapsed();
}

std::unique_ptr<IRelayTimer> CRelaySystemClock::createTimer(std::function<void()> onTimeout)
{
    return std::make_unique<CQtRelayTimer>(std::move(onTimeout));
}
