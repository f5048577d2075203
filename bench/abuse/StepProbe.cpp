// A probe for measuring the unmodified program from inside its own event loop. Loaded as a Qt
// generic plugin (QT_QPA_GENERIC_PLUGINS=tavrinprobe, QT_PLUGIN_PATH=<build>/bench/abuse/plugins),
// it writes one line per event of interest to the file named by TAVRIN_PROBE_FILE, stamped with
// CLOCK_MONOTONIC nanoseconds, which every network namespace shares with the scripts:
//
//   step <ns>        a tick of the display's scroll timer reached it (the display window's timer
//                    whose interval is TAVRIN_PROBE_PERIOD ms, default 30)
//   lag <ns> <us>    how late a 16 ms probe timer of its own fired: the event loop's reaction time
//   rss <ns> <kB>    resident memory, once a second
//
// Lines are kept in memory and written once a second, so the probe costs the loop no file I/O
// per event.

#include <QCoreApplication>
#include <QFile>
#include <QGenericPlugin>
#include <QTimer>

#include <ctime>
#include <vector>

namespace {

qint64 monotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<qint64>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

class CStepProbe final : public QObject
{
public:
    CStepProbe()
    {
        m_file.setFileName(qEnvironmentVariable("TAVRIN_PROBE_FILE"));
        m_period = qEnvironmentVariableIntValue("TAVRIN_PROBE_PERIOD");
        if (m_period <= 0)
            m_period = 30;
        if (m_file.fileName().isEmpty() || !m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return;
        m_lines.reserve(4096);
        QCoreApplication::instance()->installEventFilter(this);
        m_lag.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_lag, &QTimer::timeout, this, [this] {
            const qint64 now = monotonicNs();
            if (m_lastLag > 0)
                m_lines.push_back({'l', now, (now - m_lastLag - kLagPeriodNs) / 1000});
            m_lastLag = now;
        });
        m_lag.start(kLagPeriodMs);
        QObject::connect(&m_flush, &QTimer::timeout, this, [this] {
            m_lines.push_back({'r', monotonicNs(), residentKb()});
            write();
        });
        m_flush.start(1000);
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
                         [this] { write(); });
    }
    ~CStepProbe() override { write(); }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Timer && object->parent() && object->inherits("QTimer")) {
            const auto *timer = static_cast<QTimer *>(object);
            if (timer->interval() == m_period && object->parent()->inherits("CDlgMain"))
                m_lines.push_back({'s', monotonicNs(), 0});
        }
        return false;
    }

private:
    struct Line
    {
        char kind;
        qint64 ns;
        qint64 value;
    };
    static constexpr int kLagPeriodMs = 16;
    static constexpr qint64 kLagPeriodNs = qint64(kLagPeriodMs) * 1000000;

    void write()
    {
        if (!m_file.isOpen())
            return;
        QByteArray out;
        for (const Line &l : m_lines) {
            switch (l.kind) {
            case 's':
                out += "step " + QByteArray::number(l.ns) + '\n';
                break;
            case 'l':
                out += "lag " + QByteArray::number(l.ns) + ' ' + QByteArray::number(l.value) + '\n';
                break;
            default:
                out += "rss " + QByteArray::number(l.ns) + ' ' + QByteArray::number(l.value) + '\n';
                break;
            }
        }
        m_lines.clear();
        m_file.write(out);
        m_file.flush();
    }

    QFile m_file;
    int m_period = 30;
    std::vector<Line> m_lines;
    QTimer m_lag;
    QTimer m_flush;
    qint64 m_lastLag = 0;
};

class CStepProbePlugin final : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "StepProbe.json")

public:
    QObject *create(const QString &, const QString &) override { return new CStepProbe; }
};

} // namespace

#include "StepProbe.moc"
