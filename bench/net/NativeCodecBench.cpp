#include "core/ContinuousTime.h"
#include "core/OperationLog.h"
#include "net/CNativeCodec.h"
#include "timeline/CReceivedMainData.h"
#include "timeline/IRecordHistory.h"

#include <benchmark/benchmark.h>

#include <QStringList>
#include <QTemporaryDir>

namespace {

// Five caption lines of 100 units (262 bytes each on the wire).
class BenchHistory final : public IRecordHistory
{
public:
    BenchHistory()
    {
        for (int i = 0; i < CNativeCodec::kHistoryLength; ++i) {
            CReceivedMainData record;
            record.strIpAddress = QStringLiteral("192.168.10.%1").arg(20 + i);
            record.nTimeSent = 45000000 + i * 1000;
            record.nTimeReceived = record.nTimeSent + 15;
            record.nType = 'D';
            record.strRaw = QString(100, QChar(u'あ' + i));
            record.nStrLength = static_cast<qint32>(record.strRaw.size());
            record.FormatCache();
            m_lines.append(record.strCache);
        }
    }
    qint64 version = 1;
    qint64 historyVersion() const override { return version; }
    void newestWireLines(int max, QStringList &out) const override
    {
        for (int i = 0; i < m_lines.size() && i < max; ++i)
            out.append(m_lines.at(i));
    }

private:
    QStringList m_lines;
};

const QString kOwnAddress = QStringLiteral("192.168.10.5");
// 28 + 162 + 5 × 262 = 1500 bytes: a full datagram with all five lines repeated.
const QString kText = QString(81, QChar(u'字'));

void BM_DecodeFullDatagram(benchmark::State &state)
{
    BenchHistory history;
    CNativeCodec sender(&history, nullptr);
    history.version = 2;
    const QByteArray datagram = sender.build(1, u"D", kText, kOwnAddress);
    CNativeCodec receiver(nullptr, nullptr);
    QList<TavrinRecord> records;
    for (auto _ : state) {
        const int count = receiver.TokenizeMessage(datagram, QStringLiteral("192.168.10.7"), 1, records);
        benchmark::DoNotOptimize(count);
    }
    state.counters["bytes"] = static_cast<double>(datagram.size());
    state.counters["records"] = static_cast<double>(records.size());
}
BENCHMARK(BM_DecodeFullDatagram);

void BM_BuildCaptionCached(benchmark::State &state)
{
    BenchHistory history;
    CNativeCodec codec(&history, nullptr);
    history.version = 2;
    QByteArray datagram = codec.build(1, u"D", kText, kOwnAddress);
    for (auto _ : state) {
        datagram = codec.build(1, u"D", kText, kOwnAddress);
        benchmark::DoNotOptimize(datagram.data());
    }
    state.counters["bytes"] = static_cast<double>(datagram.size());
}
BENCHMARK(BM_BuildCaptionCached);

void BM_BuildCaptionRebuilt(benchmark::State &state)
{
    BenchHistory history;
    CNativeCodec codec(&history, nullptr);
    QByteArray datagram;
    for (auto _ : state) {
        ++history.version;
        datagram = codec.build(1, u"D", kText, kOwnAddress);
        benchmark::DoNotOptimize(datagram.data());
    }
    state.counters["bytes"] = static_cast<double>(datagram.size());
}
BENCHMARK(BM_BuildCaptionRebuilt);

} // namespace

int main(int argc, char **argv)
{
    // The time base logs its start: keep that line out of the user's own operation log.
    QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", home.path().toUtf8());
    ContinuousTime::Initialize();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CloseOperationLog();
    return 0;
}
