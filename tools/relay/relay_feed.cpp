// Feeds made-up caption lines through the relay to one target, on the system clock, and reports
// what happened as JSON lines on standard output, for the relay benchmark (bench/relay):
//   {"ev":"sent","id":N,"seq":S,"delay_ms":D,"t":T}   D: handed in until answered
//   {"ev":"waiting","n":N,"t":T}                     lines waiting, whenever it changes
//   {"ev":"state","state":"sending|retry|stopped","answer":"...","t":T}
//   {"ev":"done","t":T}
// T is CLOCK_MONOTONIC in milliseconds, the clock a driving script reads as well.
//
//   tavrin_relay_feed --kind zoom|youtube --url URL [--hold MS] [--typists N] [--rate LINES_PER_S]
//                     [--lines N | --seconds S] [--ca CERT]
//
// Each typist hands in --rate lines a second, the typists spread evenly. The program ends when
// every line has been handed in and nothing is waiting.

#include "relay/CRelay.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSslCertificate>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

double monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6;
}

void emitEvent(QJsonObject event)
{
    event.insert(u"t"_qs, monotonicMs());
    const QByteArray line = QJsonDocument(event).toJson(QJsonDocument::Compact);
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption kindOption(u"kind"_qs, u"zoom or youtube."_qs, u"KIND"_qs, u"zoom"_qs);
    const QCommandLineOption urlOption(u"url"_qs, u"Caption URL."_qs, u"URL"_qs);
    const QCommandLineOption holdOption(u"hold"_qs, u"Hold time in ms."_qs, u"MS"_qs, u"0"_qs);
    const QCommandLineOption typistsOption(u"typists"_qs, u"Typists."_qs, u"N"_qs, u"1"_qs);
    const QCommandLineOption rateOption(u"rate"_qs, u"Lines a second per typist."_qs, u"R"_qs, u"2"_qs);
    const QCommandLineOption linesOption(u"lines"_qs, u"Lines in all."_qs, u"N"_qs);
    const QCommandLineOption secondsOption(u"seconds"_qs, u"Typing time."_qs, u"S"_qs);
    const QCommandLineOption caOption(u"ca"_qs, u"Extra trusted certificate (PEM)."_qs, u"CERT"_qs);
    parser.addOptions(
        {kindOption, urlOption, holdOption, typistsOption, rateOption, linesOption, secondsOption, caOption});
    parser.process(app);

    const int typists = qMax(1, parser.value(typistsOption).toInt());
    const double rate = qMax(0.01, parser.value(rateOption).toDouble());
    const double intervalMs = 1000.0 / (rate * typists);
    const qint64 total = parser.isSet(linesOption)
                             ? parser.value(linesOption).toLongLong()
                             : qint64(parser.value(secondsOption).toDouble() * rate * typists);

    RelayTargetOptions options;
    if (parser.isSet(caOption)) {
        for (const QSslCertificate &certificate : QSslCertificate::fromPath(parser.value(caOption)))
            options.ssl.addCaCertificate(certificate);
    }
    CRelay relay(nullptr, options);
    RelayTargetSettings settings;
    settings.kind = parser.value(kindOption) == u"youtube"_qs ? RelayKind::YouTube : RelayKind::Zoom;
    settings.url = parser.value(urlOption);
    settings.enabled = true;
    settings.holdMs = parser.value(holdOption).toInt();
    relay.ApplySettings({settings});
    CRelayTarget *target = relay.target(0);

    QHash<qint64, double> handedIn;
    qint64 next = 0;
    int lastWaiting = -1;
    RelayState lastState = RelayState::Sending;
    const auto finishIfDone = [&] {
        if (next >= total && target->linesWaiting() == 0 && target->state() == RelayState::Sending) {
            emitEvent({{u"ev"_qs, u"done"_qs}});
            QCoreApplication::quit();
        }
    };
    QObject::connect(target, &CRelayTarget::lineSent, [&](qint64 id, qint64 seq) {
        emitEvent({{u"ev"_qs, u"sent"_qs},
                   {u"id"_qs, id},
                   {u"seq"_qs, seq},
                   {u"delay_ms"_qs, monotonicMs() - handedIn.take(id)}});
    });
    QObject::connect(target, &CRelayTarget::statusChanged, [&] {
        if (target->linesWaiting() != lastWaiting) {
            lastWaiting = target->linesWaiting();
            emitEvent({{u"ev"_qs, u"waiting"_qs}, {u"n"_qs, lastWaiting}});
        }
        if (target->state() != lastState) {
            lastState = target->state();
            const QString name = lastState == RelayState::Sending   ? u"sending"_qs
                                 : lastState == RelayState::Stopped ? u"stopped"_qs
                                                                    : u"retry"_qs;
            emitEvent({{u"ev"_qs, u"state"_qs}, {u"state"_qs, name}, {u"answer"_qs, target->lastAnswer()}});
            if (lastState == RelayState::Stopped)
                QCoreApplication::exit(1);
        }
        finishIfDone();
    });

    // Lines go in on a fixed schedule (not one interval after the last), so a late timer does
    // not slow the typists down.
    const double start = monotonicMs();
    QTimer typing;
    typing.setTimerType(Qt::PreciseTimer);
    QObject::connect(&typing, &QTimer::timeout, [&] {
        const double now = monotonicMs();
        while (next < total && start + double(next) * intervalMs <= now) {
            ++next;
            handedIn.insert(next, monotonicMs());
            relay.lineShown(next, QStringLiteral("typist %1 line %2").arg((next - 1) % typists + 1).arg(next),
                            QDateTime::currentDateTimeUtc());
        }
        if (next >= total) {
            typing.stop();
            finishIfDone();
            return;
        }
        typing.start(qMax(0, int(start + double(next) * intervalMs - monotonicMs())));
    });
    typing.start(0);
    return QCoreApplication::exec();
}
