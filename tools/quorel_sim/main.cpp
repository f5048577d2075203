// quorel_sim: a simulated Quorel peer for trying tavrin on a test LAN by hand or from a script.

#include "CQuorelSim.h"
#include "CStdinLines.h"
#include "TestAddress.h"
#include "ToolText.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>

namespace {

const char kCommands[] = R"(
Commands (stdin, one per line; TEXT may use \n \r \t \\ escapes, LINE lists are split at '|'):
  login                      broadcast the login request "ADDR,NAME,Req,GROUP"
  full on|off                answer login requests with "Ful" instead of "Ans"
  line TEXT                  caption line to every member ("$改行$" when empty)
  monitor TEXT               what is being typed: "ADDR,TEXT"
  chat TEXT                  contact message
  pft former|latter LINE|..  "$消去$", then each line ("$改行$" for an empty one)
  undo | cls                 withdraw the own last line | clear the screen
  gross LINE|LINE|..         each line ("$null$" for empty), then the block end "`@"
  logoff                     "ADDR,NAME,離脱" to every known member, who are then forgotten
  members                    list the known members
  raw PORT DEST TEXT         any datagram on a shared port (login, response, main, monitor,
                             logoff, chat, pft-former, pft-latter, undo, main-gross)
  quit
Every command is acknowledged with "OK <command>" (or "ERROR ...").

Events (stdout, one per line, texts escaped as above):
  READY ADDR BROADCAST channel=N group=N
  RECV PORT SOURCE TEXT      every datagram from another address, decoded from code page 932
  ANSWER SOURCE Ans|Ful      a login request of the own group was answered
  REJECT SOURCE GROUP        a login request of another group was ignored
  JOIN ADDR NAME | LEAVE ADDR   member list changes
  MEMBER ADDR NAME           reply to "members"
)";

QString defaultBroadcast(const QString &address)
{
    const QHostAddress a(address);
    bool ok = false;
    const quint32 v4 = a.toIPv4Address(&ok);
    return ok ? QHostAddress(v4 | 0xFFu).toString() : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quorel_sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("A simulated Quorel peer: the shared protocol of one channel, in code page 932.") +
        QString::fromUtf8(kCommands));
    parser.addHelpOption();
    const QCommandLineOption address(QStringLiteral("address"),
                                     QStringLiteral("Own IPv4 address (required)."), QStringLiteral("ip"));
    const QCommandLineOption broadcast(
        QStringLiteral("broadcast"),
        QStringLiteral("Broadcast address (default: the address with .255; 255.255.255.255 is allowed)."),
        QStringLiteral("ip"));
    const QCommandLineOption name(QStringLiteral("name"), QStringLiteral("Member name (default Quorel)."),
                                  QStringLiteral("name"), QStringLiteral("Quorel"));
    const QCommandLineOption channel(QStringLiteral("channel"), QStringLiteral("Channel 1-12 (default 1)."),
                                     QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption group(QStringLiteral("group"),
                                   QStringLiteral("Group number 1-26 (default 1 = A)."), QStringLiteral("n"),
                                   QStringLiteral("1"));
    const QCommandLineOption full(QStringLiteral("full"),
                                  QStringLiteral("Start answering login requests with \"Ful\"."));
    const QCommandLineOption login(QStringLiteral("login"),
                                   QStringLiteral("Send the login request right after start."));
    const QCommandLineOption anyAddress(
        QStringLiteral("any-address"),
        QStringLiteral("Allow an address outside 127.0.0.0/8 and 198.18.0.0/15."));
    parser.addOption(anyAddress);
    parser.addOptions({address, broadcast, name, channel, group, full, login});
    parser.process(app);

    CQuorelSim::Settings settings;
    settings.address = parser.value(address);
    if (settings.address.isEmpty() ||
        QHostAddress(settings.address).protocol() != QAbstractSocket::IPv4Protocol) {
        ToolText::emitLine(QStringLiteral("ERROR --address needs an IPv4 address (see --help)"));
        return 2;
    }
    settings.broadcast =
        parser.isSet(broadcast) ? parser.value(broadcast) : defaultBroadcast(settings.address);
    if (!parser.isSet(anyAddress) && !TestAddress::isTestBroadcast(settings.address, settings.broadcast)) {
        ToolText::emitLine(TestAddress::refusal(settings.address + u' ' + settings.broadcast,
                                                QStringLiteral("--any-address")));
        return 2;
    }
    settings.name = parser.value(name);
    settings.channel = parser.value(channel).toInt();
    settings.group = parser.value(group).toInt();
    settings.full = parser.isSet(full);
    if (settings.channel < 1 || settings.channel > 12 || settings.group < 1 || settings.group > 26) {
        ToolText::emitLine(QStringLiteral("ERROR channel must be 1-12 and group 1-26"));
        return 2;
    }

    CQuorelSim sim(settings);
    if (!sim.start())
        return 3;

    CStdinLines input;
    QObject::connect(&input, &CStdinLines::lineReceived, &sim,
                     [&sim](const QString &line) { sim.command(line); });
    QObject::connect(&input, &CStdinLines::endOfInput, &app, &QCoreApplication::quit);
    QObject::connect(&sim, &CQuorelSim::quitRequested, &app, &QCoreApplication::quit, Qt::QueuedConnection);
    if (parser.isSet(login))
        sim.command(QStringLiteral("login"));
    return app.exec();
}
