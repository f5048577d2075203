#include "DisplayFixture.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// Lines waiting below the window, so the column never stops: while it scrolls, a Refresh only
// collects.
void keepBacklog(DisplayFixture &d, int &n)
{
    if (d.window->isScrolling() && d.store.nextSerial() - d.window->column().topSerial() >= 40)
        return;
    for (int i = 0; i < 200; ++i)
        d.add(n++);
    QCoreApplication::processEvents();
}

// The steps within a line: pixels move on screen, one thin strip comes from the image.
void BM_ScrollStep(benchmark::State &state)
{
    DisplayFixture d(state.range(0) != 0);
    const CCaptionColumn &column = d.window->column();
    int n = 0;
    for (auto _ : state) {
        const bool boundary = column.scrollOffset() + column.scrollPixels() >= column.pitch();
        if (boundary || !d.window->isScrolling()) {
            state.PauseTiming();
            keepBacklog(d, n);
            d.window->ScrollStep();
            QCoreApplication::processEvents();
            state.ResumeTiming();
            continue;
        }
        d.window->ScrollStep();
        QCoreApplication::processEvents();
    }
    state.counters["lines"] = column.topSerial();
}
BENCHMARK(BM_ScrollStep)->ArgName("outline")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The step that completes a line: the image moves up a pitch and the incoming line is drawn.
void BM_LineBoundaryStep(benchmark::State &state)
{
    DisplayFixture d(state.range(0) != 0);
    const CCaptionColumn &column = d.window->column();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        keepBacklog(d, n);
        while (column.scrollOffset() + column.scrollPixels() < column.pitch()) {
            d.window->ScrollStep();
            QCoreApplication::processEvents();
        }
        state.ResumeTiming();
        d.window->ScrollStep();
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_LineBoundaryStep)->ArgName("outline")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// A line arrives while the column stands still and the new line fits: the column is collected
// and drawn anew, and shown.
void BM_RefreshAddsLine(benchmark::State &state)
{
    // Half the screen in use, so every new line fits without scrolling.
    DisplayFixture d(state.range(0) != 0);
    const int shown = d.window->shownLines();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        if (n % (shown / 2) == 0) {
            // Start again from an empty screen: a screen clear and a jump to the newest lines.
            for (int i = 0; i <= shown; ++i)
                d.store.AddString(QString(), QStringLiteral("127.0.0.1"), 'i');
            d.window->RequestGoLast();
            d.window->canvas()->repaint();
            QCoreApplication::processEvents();
        }
        state.ResumeTiming();
        d.add(n++);
        QCoreApplication::processEvents();
    }
}
BENCHMARK(BM_RefreshAddsLine)->ArgName("outline")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
