// Serves the caption page, the live pages and their event stream from a store of made-up lines on
// 127.0.0.1, for trying the pages in a browser and for the load measurements. Prints "port N"
// once listening.
//
//   tavrin_web_serve [--port N] [--records N] [--lines L] [--letters W] [--add-every MS]
//                    [--body-file PATH] [--text-file PATH] [--tick-ms MS --tick-file PATH]
//
// --body-file writes the page body as served now (for a static server to serve the same bytes).
// --add-every appends a numbered line at that interval. --text-file takes the starting lines from a
// UTF-8 file, one caption line per line, instead of numbered ones. --tick-ms runs a timer on the
// server's thread, as the display's scroll timer runs beside the server in the program, and
// appends once a second to --tick-file: "ticks N mean M p99 P max X" (intervals in ms).

#include "core/DescriptorLimit.h"
#include "core/StringTable.h"
#include "timeline/CCaptionFeed.h"
#include "timeline/ReceivedMain.h"
#include "web/CHttpPage.h"
#include "web/CHttpSock.h"
#include "web/CLiveEvents.h"
#include "web/IHttpPageSource.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

class StorePage final : public IHttpPageSource
{
public:
    ReceivedMain store;
    int lines = 7;
    int letters = 16;
    CLiveEvents *live = nullptr;
    QString HttpPageText() override { return CHttpPage::BuildPageText(store, lines, letters); }
    CLiveEvents *LiveEvents() override { return live; }
};

} // namespace

int main(int argc, char *argv[])
{
    RaiseDescriptorLimit();
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption portOption(u"port"_qs, u"Port on 127.0.0.1 (0: any)."_qs, u"N"_qs, u"0"_qs);
    const QCommandLineOption recordsOption(u"records"_qs, u"Caption lines to start with."_qs, u"N"_qs,
                                           u"20"_qs);
    const QCommandLineOption linesOption(u"lines"_qs, u"Line limit of the page."_qs, u"L"_qs, u"7"_qs);
    const QCommandLineOption lettersOption(u"letters"_qs, u"Letters per line."_qs, u"W"_qs, u"16"_qs);
    const QCommandLineOption addOption(u"add-every"_qs, u"Add a line every MS milliseconds."_qs, u"MS"_qs,
                                       u"0"_qs);
    const QCommandLineOption bodyOption(u"body-file"_qs, u"Write the page body here."_qs, u"PATH"_qs);
    const QCommandLineOption textOption(u"text-file"_qs, u"Caption lines to start with."_qs, u"PATH"_qs);
    const QCommandLineOption tickOption(u"tick-ms"_qs, u"Period of the step timer."_qs, u"MS"_qs, u"0"_qs);
    const QCommandLineOption tickFileOption(u"tick-file"_qs, u"Where the step statistics go."_qs, u"PATH"_qs);
    parser.addOptions({portOption, recordsOption, linesOption, lettersOption, addOption, bodyOption,
                       textOption, tickOption, tickFileOption});
    parser.process(app);

    StorePage page;
    page.lines = parser.value(linesOption).toInt();
    page.letters = parser.value(lettersOption).toInt();
    page.store.Configure(1000, 100);
    page.store.SetChannelGroup(1, 1);
    int next = 1;
    const auto addLine = [&page, &next] {
        page.store.AddString(QStringLiteral("字幕の%1行目です。a<b & c").arg(next++), u"127.0.0.1"_qs, 'i');
    };
    if (parser.isSet(textOption)) {
        QFile text(parser.value(textOption));
        if (!text.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(text.fileName()));
            return 1;
        }
        for (const QByteArray &line : text.readAll().split('\n')) {
            if (!line.isEmpty())
                page.store.AddString(QString::fromUtf8(line), u"127.0.0.1"_qs, 'i');
        }
    } else {
        for (int i = parser.value(recordsOption).toInt(); i > 0; --i)
            addLine();
    }

    CCaptionFeed feed(page.store);
    CLiveEvents live(feed, page.store);
    page.live = &live;

    CHttpSockOptions options;
    options.bindAddress = u"127.0.0.1"_qs;
    const int port = parser.value(portOption).toInt();
    options.ports = {port == 0 ? CHttpSockOptions::kAnyPort : port};
    CHttpSock server(page, options);
    if (!server.isListening()) {
        std::fprintf(stderr, "cannot listen on 127.0.0.1:%d\n", port);
        return 1;
    }

    if (parser.isSet(bodyOption)) {
        QFile body(parser.value(bodyOption));
        if (!body.open(QIODevice::WriteOnly) ||
            body.write(CHttpPage::FillTemplate(CStringTable::get(141), server.style(), page.HttpPageText())
                           .toUtf8()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(body.fileName()));
            return 1;
        }
    }

    QTimer adder;
    if (const int every = parser.value(addOption).toInt(); every > 0) {
        QObject::connect(&adder, &QTimer::timeout, addLine);
        adder.start(every);
    }
    QTimer tick;
    QTimer report;
    QElapsedTimer clock;
    qint64 last = 0;
    std::vector<double> steps;
    QFile tickFile(parser.value(tickFileOption));
    if (const int period = parser.value(tickOption).toInt(); period > 0 && parser.isSet(tickFileOption)) {
        if (!tickFile.open(QIODevice::WriteOnly | QIODevice::Append)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(tickFile.fileName()));
            return 1;
        }
        clock.start();
        tick.setTimerType(Qt::PreciseTimer);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const qint64 now = clock.nsecsElapsed();
            if (last > 0)
                steps.push_back(static_cast<double>(now - last) / 1e6);
            last = now;
        });
        QObject::connect(&report, &QTimer::timeout, [&] {
            if (steps.empty())
                return;
            std::sort(steps.begin(), steps.end());
            double sum = 0;
            for (double step : steps)
                sum += step;
            const size_t p99 = std::min(steps.size() - 1, steps.size() * 99 / 100);
            tickFile.write(QStringLiteral("ticks %1 mean %2 p99 %3 max %4\n")
                               .arg(steps.size())
                               .arg(sum / static_cast<double>(steps.size()), 0, 'f', 2)
                               .arg(steps[p99], 0, 'f', 2)
                               .arg(steps.back(), 0, 'f', 2)
                               .toUtf8());
            tickFile.flush();
            steps.clear();
        });
        tick.start(period);
        report.start(1000);
    }

    std::printf("port %d\n", server.port());
    std::fflush(stdout);
    return QCoreApplication::exec();
}
