// tavrin_node: a headless tavrin member for the test LAN and for measurements.

#include "CStdinLines.h"
#include "CTavrinNode.h"
#include "TestAddress.h"
#include "ToolText.h"
#include "core/DescriptorLimit.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QUrl>

#include <csignal>
#include <cstdlib>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const char kCommands[] = R"(
Commands (stdin, one per line; TEXT may use \n \r \t \\ escapes, LINE lists are split at '|'):
  line TEXT                  send a caption line (prints "SENT <ns> TEXT" first)
  monitor TEXT               what is being typed now
  chat TEXT                  contact message
  pft FORMER|.. ## LATTER|.. pre-roll former and latter lines
  gross LINE|LINE|..         multi-line send
  undo | clear               withdraw the own last line | clear the screen
  dump                       the caption store: CAPTION SERIAL AUTHOR TIMESENT FLAG TYPE TEXT
  chat-dump                  the contact store: CHAT POS AUTHOR TIMESENT TEXT
  members                    MEMBER ADDR KIND NAME input=TEXT
  pftmon [ADDR]              the pre-roll monitor's texts of ADDR (default: the shown member)
  state                      STATE online=.. refusal=.. undo=.. members=.. captions=.. ...
  set KEY VALUE              change a setting (takes effect at the next login)
  heartbeat                  send one heartbeat now
  logoff | login             go offline | log in again on the adapter
  rss                        resident memory (RSS kB)
  web                        WEB port=N connections=N streams=N (with --web)
  relay                      RELAY N KIND state=sending|retry|stopped waiting=N next_seq=N answer=TEXT
  quit                       log off and end
Every command is acknowledged with "OK <command>" (or "ERROR ...").

Events (stdout; monotonic ns are CLOCK_MONOTONIC, shared by all namespaces):
  LOGIN ok ADDR BROADCAST channel=N group=N name=NAME | LOGIN failed TITLE MESSAGE
  ONLINE 0|1                 going online or offline completed
  SENT NS TEXT               a line was handed to the send path
  STORED NS AUTHOR TIMESENT TEXT   a caption record was appended or inserted
  FLAG NS AUTHOR TIMESENT FLAG TEXT a caption record's withdrawal bits changed
  GOLAST                     the display was asked to jump to the newest line
  CONTACT NS TEXT            a line reached the contact window
  DLOG AUTHOR TIMESENT TEXT | CLOG TEXT   display log / contact log
  JOIN ADDR KIND NAME | RENAME .. | LEAVE ADDR | LEAVE-ALL | INPUT ADDR TEXT   member list
  PFTMON ADDR former=TEXT latter=TEXT     pre-roll monitor
  PUTBACK TEXT               an undone line went back into the input box
  WARNING refusal N          the "group full" warning would be shown now
  LOG PATH                   this run's operation log
  WEB port=N ...             the web server listens (with --web, at start and on "web")
  FEED NS add ID TEXT | FEED NS withdraw ID   a change reached the live pages' feed
)";

int g_signalPipe[2] = {-1, -1};

void onSignal(int signalNumber)
{
    const char byte = static_cast<char>(signalNumber);
    [[maybe_unused]] const ssize_t n = ::write(g_signalPipe[1], &byte, 1);
}

QString defaultBroadcast(const QString &address)
{
    bool ok = false;
    const quint32 v4 = QHostAddress(address).toIPv4Address(&ok);
    return ok ? QHostAddress(v4 | 0xFFu).toString() : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tavrin_node"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A tavrin member without windows, for test networks. It goes online only on the "
                       "address it is given.") +
        QString::fromUtf8(kCommands));
    parser.addHelpOption();
    const QCommandLineOption address(
        QStringLiteral("address"), QStringLiteral("Adapter IPv4 address (required)."), QStringLiteral("ip"));
    const QCommandLineOption broadcast(
        QStringLiteral("broadcast"),
        QStringLiteral(
            "Adapter broadcast address (default: the address with .255; 255.255.255.255 is allowed)."),
        QStringLiteral("ip"));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Member name."),
                                  QStringLiteral("name"));
    const QCommandLineOption channel(QStringLiteral("channel"), QStringLiteral("Channel 1-12."),
                                     QStringLiteral("n"));
    const QCommandLineOption group(QStringLiteral("group"), QStringLiteral("Group 1-26 (A-Z)."),
                                   QStringLiteral("n"));
    const QCommandLineOption settings(
        QStringLiteral("settings"), QStringLiteral("Settings file (.tvn) to load."), QStringLiteral("file"));
    const QCommandLineOption home(
        QStringLiteral("home"),
        QStringLiteral("Folder used as HOME (operation log, settings folder); default: "
                       "a temporary folder removed at the end."),
        QStringLiteral("dir"));
    const QCommandLineOption noLogin(QStringLiteral("no-login"), QStringLiteral("Do not log in at start."));
    const QCommandLineOption relay(
        QStringLiteral("relay"),
        QStringLiteral("Relay the captions to a caption service, as the program's "
                       "relay does: zoom=URL or youtube=URL (repeatable, at most 4)."),
        QStringLiteral("kind=url"));
    const QCommandLineOption relayHold(QStringLiteral("relay-hold"),
                                       QStringLiteral("Hold time of the relay targets in ms (default 2000)."),
                                       QStringLiteral("ms"), QStringLiteral("2000"));
    const QCommandLineOption anyAddress(
        QStringLiteral("any-address"),
        QStringLiteral("Allow an address outside 127.0.0.0/8 and 198.18.0.0/15."));
    const QCommandLineOption web(
        QStringLiteral("web"), QStringLiteral("Run the web server on the node's address (0: any free port)."),
        QStringLiteral("port"));
    parser.addOption(anyAddress);
    parser.addOptions(
        {address, broadcast, name, channel, group, settings, home, noLogin, relay, relayHold, web});
    parser.process(app);

    CTavrinNode::Settings s;
    s.address = parser.value(address);
    if (QHostAddress(s.address).protocol() != QAbstractSocket::IPv4Protocol) {
        ToolText::emitLine(QStringLiteral("ERROR --address needs an IPv4 address (see --help)"));
        return 2;
    }
    s.broadcast = parser.isSet(broadcast) ? parser.value(broadcast) : defaultBroadcast(s.address);
    if (!parser.isSet(anyAddress) && !TestAddress::isTestBroadcast(s.address, s.broadcast)) {
        ToolText::emitLine(
            TestAddress::refusal(s.address + u' ' + s.broadcast, QStringLiteral("--any-address")));
        return 2;
    }
    s.name = parser.value(name);
    s.channel = parser.value(channel).toInt();
    s.group = parser.value(group).toInt();
    s.settingsFile = parser.value(settings);
    s.login = !parser.isSet(noLogin);
    for (const QString &target : parser.values(relay)) {
        RelayTargetSettings t;
        const QString kind = target.section(u'=', 0, 0);
        t.kind = kind == u"youtube" ? RelayKind::YouTube : RelayKind::Zoom;
        t.url = target.section(u'=', 1);
        t.enabled = true;
        t.holdMs = parser.value(relayHold).toInt();
        if ((kind != u"zoom" && kind != u"youtube") || !TestAddress::isTestAddress(QUrl(t.url).host())) {
            ToolText::emitLine(
                QStringLiteral("ERROR --relay needs zoom=URL or youtube=URL on a test address"));
            return 2;
        }
        s.relayTargets.append(t);
    }
    if (parser.isSet(web)) {
        bool ok = false;
        s.webPort = parser.value(web).toInt(&ok);
        if (!ok || s.webPort < 0 || s.webPort > 65535) {
            ToolText::emitLine(QStringLiteral("ERROR --web needs a port (0: any free one)"));
            return 2;
        }
        // Every reader of the live pages holds a descriptor.
        RaiseDescriptorLimit();
    }

    // The operation log and the settings folder follow HOME and XDG_CONFIG_HOME; point them away
    // from the user's own files before anything is written.
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/tavrin_node-XXXXXX"));
    const QString homeDir = parser.isSet(home) ? QDir(parser.value(home)).absolutePath() : scratch.path();
    QDir().mkpath(homeDir + QStringLiteral("/.config"));
    ::setenv("HOME", QFile::encodeName(homeDir).constData(), 1);
    ::setenv("XDG_CONFIG_HOME", QFile::encodeName(homeDir + QStringLiteral("/.config")).constData(), 1);
    if (parser.isSet(home))
        scratch.remove();

    CTavrinNode node(s);

    // Termination signals end the run through the normal path, so the logoff is still sent.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
        auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&node, notifier] {
            char byte = 0;
            [[maybe_unused]] const ssize_t n = ::read(g_signalPipe[0], &byte, 1);
            notifier->setEnabled(false);
            node.shutdown();
            QCoreApplication::quit();
        });
        std::signal(SIGTERM, onSignal);
        std::signal(SIGINT, onSignal);
        std::signal(SIGHUP, onSignal);
    }

    if (!node.start())
        return 3;

    CStdinLines input;
    QObject::connect(&input, &CStdinLines::lineReceived, &node,
                     [&node](const QString &line) { node.command(line); });
    QObject::connect(&input, &CStdinLines::endOfInput, &app, [&node] {
        node.shutdown();
        QCoreApplication::quit();
    });
    QObject::connect(&node, &CTavrinNode::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    return app.exec();
}
