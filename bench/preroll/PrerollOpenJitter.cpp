// Opens a large pre-roll file while the display scrolls received lines in, and reports what the
// audience would see: how late the display's scroll steps came while the file opened, whether
// lines kept reaching the display, and how long the event loop was held at most.
//
//   preroll_open_jitter [megabytes=5] [lines|oneline] [utf8|cp932|utf16] [seconds after the open=3]
//                       [over]
//
// "over" opens the file into the pane once before the measurement, so that the measured open
// replaces a pane that holds as much text (and lets it go).
//
// Run under Xvfb (xvfb-run -s "-screen 0 1920x1080x24") for the numbers of a real X desktop, or
// with QT_QPA_PLATFORM=offscreen. The display is the full-HD one of bench/display; a line arrives
// every 250 ms, faster than it scrolls in, so the display never stands still. The open is over
// when the pane carries the file's name; the measurement runs on for a while after it, as the
// window may still be laying out or painting. Nothing is asserted: the numbers go to standard
// output.

#include "DisplayFixture.h"
#include "config/CConfig.h"
#include "config/CCustomPalette.h"
#include "core/CDialogs.h"
#include "core/CodePage932.h"
#include "preroll/CDlgPft.h"
#include "preroll/CEngagedEdit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kFeedPeriodMs = 250;
constexpr int kLagPeriodMs = 16;
constexpr int kWarmUpMs = 2000;

QByteArray encode(const QString &text, const QByteArray &encoding)
{
    if (encoding == "cp932")
        return CCodePage932::encode(text);
    if (encoding == "utf16")
        return QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2);
    return text.toUtf8();
}

// A script of numbered Japanese lines with comment lines and block separators, or one line
// without any line break.
QByteArray makeFile(qint64 bytes, const QByteArray &encoding, bool oneLine)
{
    QByteArray out = encoding == "utf16" ? QByteArrayLiteral("\xFF\xFE") : QByteArray();
    out.reserve(bytes + 4096);
    for (int n = 0; out.size() < bytes; ++n) {
        QString line;
        if (oneLine)
            line = QStringLiteral("%1 本日の講演では、聞こえの保障と情報のバリアフリーについてお話しします。")
                       .arg(n);
        else if (n % 50 == 0)
            line = QStringLiteral("<-第%1節　話者の交代\r\n").arg(n / 50);
        else if (n % 20 == 0)
            line = QStringLiteral("`@\r\n");
        else
            line = QStringLiteral(
                       "%1 本日の講演では、聞こえの保障と情報のバリアフリーについてお話しします。\r\n")
                       .arg(n);
        out += encode(line, encoding);
    }
    return out;
}

// Records when each tick of the display's scroll timer reaches it.
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

struct Window
{
    qint64 from = 0;
    qint64 to = 0;
    bool contains(qint64 t) const { return t >= from && t <= to; }
};

// The largest gap between consecutive times inside the window, counting from its start.
double largestGapMs(const std::vector<qint64> &times, const Window &window)
{
    qint64 last = window.from;
    qint64 gap = 0;
    for (const qint64 t : times) {
        if (t < window.from)
            continue;
        if (t > window.to)
            break;
        gap = std::max(gap, t - last);
        last = t;
    }
    gap = std::max(gap, window.to - last);
    return static_cast<double>(gap) / 1e6;
}

struct StepFigures
{
    int steps = 0;
    double maxLateMs = 0;
    int lateOver50 = 0;
};

StepFigures stepFigures(const std::vector<qint64> &ticks, const Window &window, int period)
{
    StepFigures f;
    for (size_t i = 1; i < ticks.size(); ++i) {
        if (!window.contains(ticks[i]))
            continue;
        ++f.steps;
        const double late = static_cast<double>(ticks[i] - ticks[i - 1]) / 1e6 - period;
        f.maxLateMs = std::max(f.maxLateMs, late);
        if (late > 50)
            ++f.lateOver50;
    }
    return f;
}

double largestLagMs(const std::vector<std::pair<qint64, qint64>> &lags, const Window &window)
{
    qint64 worst = 0;
    for (const auto &[at, lag] : lags) {
        if (window.contains(at))
            worst = std::max(worst, lag);
    }
    return static_cast<double>(worst) / 1e6;
}

int countIn(const std::vector<qint64> &times, const Window &window)
{
    return static_cast<int>(
        std::count_if(times.begin(), times.end(), [&](qint64 t) { return window.contains(t); }));
}

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    QApplication app(argc, argv);
    const int megabytes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const bool oneLine = argc > 2 && QByteArray(argv[2]) == "oneline";
    const QByteArray encoding = argc > 3 ? QByteArray(argv[3]) : QByteArrayLiteral("utf8");
    const int afterMs = (argc > 4 ? std::max(1, std::atoi(argv[4])) : 3) * 1000;
    const bool over = argc > 5 && QByteArray(argv[5]) == "over";

    const QString path = home.path() + QStringLiteral("/script.txt");
    const QString first = home.path() + QStringLiteral("/first.txt");
    {
        const QByteArray bytes = makeFile(qint64(megabytes) << 20, encoding, oneLine);
        QFile file(path);
        QFile firstFile(first);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 ||
            !firstFile.open(QIODevice::WriteOnly) || firstFile.write(bytes) < 0)
            return 1;
    }

    DisplayFixture d;
    const int period = d.window->scrollPeriod();
    CConfig config;
    config.Initialize();
    CCustomPalette palette;
    ToolWindowHost host;
    host.config = &config;
    host.palette = &palette;
    CDlgPft pft(host, CDlgPft::Actions{}, [] { return nullptr; });
    // An error box would stop the measurement: it is printed instead.
    CDialogs::setScripted(true);
    pft.resize(900, 600);
    pft.move(1000, 100);
    pft.ShowWindow();
    QCoreApplication::processEvents();
    if (over) {
        pft.OpenFile(first);
        while (pft.filePath(0) != first)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        for (int i = 0; i < 10; ++i)
            QCoreApplication::processEvents();
    }

    QElapsedTimer clock;
    clock.start();
    StepClock steps(clock);
    // Every timer of the display with the scroll period: the one that steps may be restarted.
    for (QTimer *timer : d.window->findChildren<QTimer *>()) {
        if (timer->interval() == period)
            timer->installEventFilter(&steps);
    }

    std::vector<qint64> fed;
    int n = 0;
    QTimer feed;
    QObject::connect(&feed, &QTimer::timeout, [&] {
        d.add(n++);
        fed.push_back(clock.nsecsElapsed());
    });
    feed.start(kFeedPeriodMs);

    std::vector<std::pair<qint64, qint64>> lags;
    qint64 lastLag = 0;
    QTimer lag;
    lag.setTimerType(Qt::PreciseTimer);
    QObject::connect(&lag, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (lastLag > 0)
            lags.push_back({now, now - lastLag - qint64(kLagPeriodMs) * 1000000});
        lastLag = now;
    });
    lag.start(kLagPeriodMs);

    Window warm{0, 0};
    Window open{0, 0};
    Window after{0, 0};
    bool started = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (!started) {
            if (now < qint64(kWarmUpMs) * 1000000)
                return;
            started = true;
            warm.to = now;
            open.from = now;
            // Returns at once when the file is opened in the background, after it all otherwise.
            pft.OpenFile(path);
            return;
        }
        if (open.to == 0 && pft.filePath(0) == path) {
            open.to = clock.nsecsElapsed();
            after.from = open.to;
            after.to = open.to + qint64(afterMs) * 1000000;
            return;
        }
        if (open.to != 0 && now >= after.to)
            QCoreApplication::exit(0);
    });
    watch.start(5);
    QApplication::exec();

    Window whole{open.from, after.to};
    const StepFigures warmSteps = stepFigures(steps.ticks, warm, period);
    const StepFigures openSteps = stepFigures(steps.ticks, whole, period);
    const QTextDocument *document = pft.edit(0)->document();
    std::printf("platform %s; pre-roll %d MB %s (%s)%s; display period %d ms, a line every %d ms\n",
                qPrintable(QGuiApplication::platformName()), megabytes, oneLine ? "one single line" : "lines",
                encoding.constData(), over ? " over a pane holding as much" : "", period, kFeedPeriodMs);
    std::printf("pane after the open: %d lines, %lld characters\n", document->blockCount(),
                static_cast<long long>(document->characterCount()));
    std::printf("open took %.0f ms; measured from the open to %d s after it\n",
                static_cast<double>(open.to - open.from) / 1e6, afterMs / 1000);
    std::printf("before the open: %d steps, latest step %+.1f ms, event loop held at most %.1f ms\n",
                warmSteps.steps, warmSteps.maxLateMs, largestLagMs(lags, warm));
    std::printf("while opening:   %d steps, latest step %+.1f ms, %d steps late by more than 50 ms\n",
                openSteps.steps, openSteps.maxLateMs, openSteps.lateOver50);
    std::printf("                 longest time without a step %.1f ms, event loop held at most %.1f ms\n",
                largestGapMs(steps.ticks, whole), largestLagMs(lags, whole));
    std::printf("                 lines reaching the display: %d during the open, %d in all; longest "
                "time without one %.0f ms (one every %d ms expected)\n",
                countIn(fed, open), countIn(fed, whole), largestGapMs(fed, whole), kFeedPeriodMs);
    // Where the longest holds were, counted from the end of the open (negative: before it).
    std::vector<std::pair<qint64, qint64>> worst;
    for (const auto &[at, held] : lags) {
        if (whole.contains(at))
            worst.push_back({held, at});
    }
    std::sort(worst.rbegin(), worst.rend());
    std::printf("                 longest holds:");
    for (size_t i = 0; i < std::min<size_t>(3, worst.size()); ++i)
        std::printf(" %.0f ms at %+.0f ms", static_cast<double>(worst[i].first) / 1e6,
                    static_cast<double>(worst[i].second - worst[i].first - open.to) / 1e6);
    std::printf(" (from the end of the open)\n");
    for (const CDialogs::Message &box : CDialogs::takeAsked())
        std::printf("error box: %s\n", qPrintable(box.text));
    return 0;
}
