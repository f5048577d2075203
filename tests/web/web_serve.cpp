// Serves the caption page from a store of made-up lines on 127.0.0.1, for trying the page in a
// browser and for the load measurement. Prints "port N" once listening.
//
//   tavrin_web_serve [--port N] [--records N] [--lines L] [--letters W] [--add-every MS]
//                    [--body-file PATH]
//
// --body-file writes the page body as served now (for a static server to serve the same bytes).
// --add-every appends a numbered line at that interval.

#include "core/StringTable.h"
#include "timeline/ReceivedMain.h"
#include "web/CHttpPage.h"
#include "web/CHttpSock.h"
#include "web/IHttpPageSource.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>

namespace {

class StorePage final : public IHttpPageSource
{
public:
    ReceivedMain store;
    int lines = 7;
    int letters = 16;
    QString HttpPageText() override { return CHttpPage::BuildPageText(store, lines, letters); }
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption portOption(u"port"_qs, u"Port on 127.0.0.1 (0: any)."_qs, u"N"_qs, u"0"_qs);
    const QCommandLineOption recordsOption(u"records"_qs, u"Caption lines to start with."_qs, u"N"_qs, u"20"_qs);
    const QCommandLineOption linesOption(u"lines"_qs, u"Line limit of the page."_qs, u"L"_qs, u"7"_qs);
    const QCommandLineOption lettersOption(u"letters"_qs, u"Letters per line."_qs, u"W"_qs, u"16"_qs);
    const QCommandLineOption addOption(u"add-every"_qs, u"Add a line every MS milliseconds."_qs, u"MS"_qs, u"0"_qs);
    const QCommandLineOption bodyOption(u"body-file"_qs, u"Write the page body here."_qs, u"PATH"_qs);
    parser.addOptions({portOption, recordsOption, linesOption, lettersOption, addOption, bodyOption});
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
    for (int i = parser.value(recordsOption).toInt(); i > 0; --i)
        addLine();

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
            body.write(CHttpPage::FillTemplate(CStringTable::get(141), server.style(), page.HttpPageText()).toUtf8()) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(body.fileName()));
            return 1;
        }
    }

    QTimer adder;
    if (const int every = parser.value(addOption).toInt(); every > 0) {
        QObject::connect(&adder, &QTimer::timeout, addLine);
        adder.start(every);
    }
    std::printf("port %d\n", server.port());
    std::fflush(stdout);
    return QCoreApplication::exec();
}
