#include "core/ContinuousTime.h"
#include "timeline/ITextMeasurer.h"
#include "timeline/ReceivedMain.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kDisplayLines = 50; // "main.line.max_i": search limit 50

const QString &typist(int k)
{
    static const QString addresses[] = {QStringLiteral("192.168.1.11"), QStringLiteral("192.168.1.12"),
                                        QStringLiteral("192.168.1.13"), QStringLiteral("192.168.1.14"),
                                        QStringLiteral("192.168.1.15")};
    return addresses[k % 5];
}

CReceivedMainData captionLine(const QString &address, qint32 sent, const QString &text)
{
    CReceivedMainData r;
    r.strRaw = text;
    r.nStrLength = static_cast<qint32>(text.size());
    r.strIpAddress = address;
    r.strIpAddressSender = address;
    r.nTimeSent = sent;
    r.nTimeReceived = sent + 10;
    r.nTimeActualReceived = sent + 10;
    r.nTimeActualReceivedTick = ContinuousTime::SystemTimeToInt();
    r.nType = 'D';
    r.nChannel = 1;
    r.nGroup = 1;
    return r;
}

// A full store of five typists taking turns, a line every 700 ms.
std::unique_ptr<ReceivedMain> fullStore(int capacity)
{
    auto store = std::make_unique<ReceivedMain>();
    store->Configure(capacity, kDisplayLines);
    store->SetChannelGroup(1, 1);
    for (int k = 0; k < capacity; ++k)
        store->AppendData(
            captionLine(typist(k), 1000 + (k % 100000) * 700, QStringLiteral("字幕の行です。%1").arg(k)));
    return store;
}

class FixedMeasurer final : public ITextMeasurer
{
public:
    int fontHeight() const override { return 48; }
    int textWidth(QStringView text) const override { return static_cast<int>(text.size()) * 48; }
};

class FontMeasurer final : public ITextMeasurer
{
public:
    explicit FontMeasurer(const QFont &font) : m_metrics(font) {}
    int fontHeight() const override { return m_metrics.height(); }
    int textWidth(QStringView text) const override
    {
        return m_metrics.horizontalAdvance(QString::fromRawData(text.data(), text.size()));
    }

private:
    QFontMetrics m_metrics;
};

// The newest line of a typist, repeated by the next datagram: found at once.
void BM_LocateData_Duplicate(benchmark::State &state)
{
    const int capacity = static_cast<int>(state.range(0));
    const auto store = fullStore(capacity);
    CReceivedMainData r = *store->at(store->count() - 3);
    int pos = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store->LocateData(r, pos));
}
BENCHMARK(BM_LocateData_Duplicate)->Arg(2000)->Arg(99999);

// A new line of a typist: stops at that typist's previous line.
void BM_LocateData_NewLine(benchmark::State &state)
{
    const int capacity = static_cast<int>(state.range(0));
    const auto store = fullStore(capacity);
    const CReceivedMainData newest = *store->at(store->count() - 1);
    CReceivedMainData r = captionLine(typist(capacity), newest.nTimeSent + 700, QStringLiteral("新しい行"));
    int pos = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store->LocateData(r, pos));
}
BENCHMARK(BM_LocateData_NewLine)->Arg(2000)->Arg(99999);

// The longest walk: a typist never seen before, older than every line: the whole search limit.
void BM_LocateData_SearchLimit(benchmark::State &state)
{
    const int capacity = static_cast<int>(state.range(0));
    const auto store = fullStore(capacity);
    CReceivedMainData r = captionLine(QStringLiteral("192.168.1.99"), 500, QStringLiteral("古い行"));
    int pos = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store->LocateData(r, pos));
}
BENCHMARK(BM_LocateData_SearchLimit)->Arg(2000)->Arg(99999);

// Plain peer lines are passed over without counting toward the limit: a store where a peer
// typed everything after a few native lines walks all of them.
void BM_LocateData_PlainLinesAbove(benchmark::State &state)
{
    const int capacity = static_cast<int>(state.range(0));
    ReceivedMain store;
    store.Configure(capacity, kDisplayLines);
    store.SetChannelGroup(1, 1);
    for (int k = 0; k < 5; ++k)
        store.AppendData(captionLine(typist(k), 1000 + k * 700, QStringLiteral("最初の行")));
    for (int k = 5; k < capacity; ++k)
        store.AddString(QStringLiteral("相手の行"), QStringLiteral("192.168.1.50"), 'i');
    CReceivedMainData r = captionLine(typist(0), 900000, QStringLiteral("新しい行"));
    int pos = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(store.LocateData(r, pos));
}
BENCHMARK(BM_LocateData_PlainLinesAbove)->Arg(2000)->Arg(99999);

// A late line inserted a few lines from the end of a full store (the oldest goes).
void BM_InsertData_NearEnd(benchmark::State &state)
{
    const int capacity = static_cast<int>(state.range(0));
    const auto store = fullStore(capacity);
    const CReceivedMainData r = captionLine(typist(1), 999, QStringLiteral("遅れた行"));
    for (auto _ : state)
        store->InsertData(store->count() - 3, r);
}
BENCHMARK(BM_InsertData_NearEnd)->Arg(2000)->Arg(99999);

// One screen as the display collects it: 50 lines by serial, the records already wrapped.
void BM_GetLine_Screen(benchmark::State &state)
{
    const int capacity = static_cast<int>(state.range(0));
    const auto store = fullStore(capacity);
    FixedMeasurer measurer;
    store->setDisplayClientRect(QRect(0, 0, 1280, 2400));
    store->BumpLayoutGeneration();
    int topSerial = 0;
    int topLine = 0;
    store->GoLast(measurer, topSerial, topLine);
    topSerial -= kDisplayLines; // well inside the store, every record already wrapped once below
    QString line;
    for (int serial = topSerial; serial < store->nextSerial(); ++serial)
        store->GetLine(serial, 0, line, measurer);
    for (auto _ : state) {
        int serial = topSerial;
        int index = topLine;
        for (int n = 0; n < kDisplayLines;) {
            const int result = store->GetLine(serial, index, line, measurer);
            if (result == ReceivedMain::LINE_END)
                break;
            if (result == ReceivedMain::LINE_MORE) {
                ++n;
                ++index;
            } else {
                if (result == ReceivedMain::LINE_LAST)
                    ++n;
                ++serial;
                index = 0;
            }
            benchmark::DoNotOptimize(line);
        }
    }
}
BENCHMARK(BM_GetLine_Screen)->Arg(2000)->Arg(99999);

// Wrapping one 127-character Japanese line with IPAGothic 36 pt on a 1280 px wide display.
void BM_LayoutData_RealFont(benchmark::State &state)
{
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSize(36);
    const FontMeasurer measurer(font);
    ReceivedMain store;
    store.setDisplayClientRect(QRect(0, 0, 1280, 720));
    store.setMargins(4, 4);
    QString text;
    const QString sentence =
        QStringLiteral("本日の会議では、来年度の計画について（予算案を含めて）話し合いました。");
    while (text.size() < 127)
        text += sentence;
    text.truncate(127);
    CReceivedMainData record;
    record.strRaw = text;
    store.UpdateMetrics(measurer);
    int lines = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(lines = store.LayoutData(record, measurer));
    state.counters["lines"] = lines;
    state.counters["fontHeight"] = measurer.fontHeight();
}
BENCHMARK(BM_LayoutData_RealFont)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    // Real fonts need a platform plugin; offscreen needs no display server.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
