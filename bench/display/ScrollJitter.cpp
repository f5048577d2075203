// Scrolls the display continuously for a while and reports how evenly the scroll steps came:
// the interval between steps against the configured period ("main.scroll.period_i").
//
//   xvfb-run -s "-screen 0 1920x1080x24" ./display_jitter [seconds] [--web READERS]
//
// With --web the program's web server runs beside the display on the same thread, on 127.0.0.1
// (it prints "port N"), and the measurement starts once READERS live-page readers hold an event
// stream (bench/web/live_readers.py --port N): every line fed then goes out to all of them.

#include "DisplayFixture.h"
#include "timeline/CCaptionFeed.h"
#include "web/CHttpSock.h"
#include "web/CWebServer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <vector>

namespace {

qint64 threadCpuNs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<qint64>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Records when each tick of the scroll timer reaches the window.
class StepClock final : public QObject
{
public:
    explicit StepClock(const QElapsedTimer &clock) : m_clock(clock) {}
    std::vector<qint64> ticks;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Timer)
            ticks.push_back(m_clock.nsecsElapsed());
        return false;
    }

private:
    const QElapsedTimer &m_clock;
};

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index =
        std::min(values.size() - 1, static_cast<size_t>(p * static_cast<double>(values.size())));
    return values[index];
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const int readers = argc > 3 && std::strcmp(argv[2], "--web") == 0 ? std::atoi(argv[3]) : -1;
    DisplayFixture d;

    std::unique_ptr<CCaptionFeed> captionFeed;
    std::unique_ptr<CWebServer> web;
    if (readers >= 0) {
        captionFeed = std::make_unique<CCaptionFeed>(d.store);
        CHttpSockOptions options;
        options.bindAddress = QStringLiteral("127.0.0.1");
        options.ports = {CHttpSockOptions::kAnyPort};
        web = std::make_unique<CWebServer>(d.config, d.store, *captionFeed, options);
        web->Start();
        std::printf("port %d\n", web->port());
        std::fflush(stdout);
        QElapsedTimer waiting;
        waiting.start();
        while (web->sock()->streamCount() < readers && waiting.elapsed() < 120000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        std::printf("readers %d\n", web->sock()->streamCount());
    }
    const int period = d.window->scrollPeriod();

    // The scroll timer runs only while a line scrolls in: the first line starts it.
    int n = 0;
    d.add(n++);
    QTimer *scrollTimer = nullptr;
    for (QTimer *timer : d.window->findChildren<QTimer *>()) {
        if (timer->interval() == period && timer->isActive())
            scrollTimer = timer;
    }
    if (!scrollTimer) {
        std::fprintf(stderr, "scroll timer not found\n");
        return 1;
    }
    QElapsedTimer clock;
    clock.start();
    StepClock steps(clock);
    scrollTimer->installEventFilter(&steps);

    // Lines come faster than they scroll in, so the column never stands still.
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&d, &n] { d.add(n++); });
    feed.start(250);

    const qint64 cpuBefore = threadCpuNs();
    // exit, not quit: quit asks the windows to close first, and the display refuses.
    QTimer::singleShot(seconds * 1000, &app, [] { QCoreApplication::exit(0); });
    QApplication::exec();
    const qint64 cpuUsed = threadCpuNs() - cpuBefore;

    std::vector<double> deviation;
    double sum = 0;
    for (size_t i = 1; i < steps.ticks.size(); ++i) {
        const double interval = static_cast<double>(steps.ticks[i] - steps.ticks[i - 1]) / 1e6;
        sum += interval;
        deviation.push_back(std::abs(interval - period));
    }
    const double count = static_cast<double>(deviation.size());
    std::printf("platform %s, %dx%d, %d s, period %d ms, %d px per step, pitch %d px\n",
                qPrintable(QGuiApplication::platformName()), d.window->canvas()->width(),
                d.window->canvas()->height(), seconds, period, d.window->column().scrollPixels(),
                d.window->column().pitch());
    std::printf("steps %zu, lines fed %d, still scrolling %s\n", steps.ticks.size(), n,
                d.window->isScrolling() ? "yes" : "no");
    if (web)
        std::printf("live-page readers at the end %d\n", web->sock()->streamCount());
    std::printf("mean interval %.3f ms\n", count > 0 ? sum / count : 0.0);
    std::printf("|interval - period|: median %.3f ms, p99 %.3f ms, max %.3f ms\n", percentile(deviation, 0.5),
                percentile(deviation, 0.99), percentile(deviation, 1.0));
    std::printf("GUI thread CPU %.1f%% of the run (%.3f ms per step)\n",
                100.0 * static_cast<double>(cpuUsed) / (seconds * 1e9),
                static_cast<double>(cpuUsed) / 1e6 / std::max(1.0, count));
    return 0;
}
