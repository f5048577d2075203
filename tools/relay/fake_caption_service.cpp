// A Zoom- or YouTube-style caption service, for trying the relay by hand, the relay benchmark and
// the LAN test. Prints "listening PORT", then one line per request:
//   "METHOD seq=N status=S t=MONOTONIC_MS body=TEXT" (line breaks in the body as \n).
//
//   tavrin_fake_caption_service [--address IP] [--port N] [--seq LAST] [--youtube-time]
//                               [--tls CERT,KEY]
//
// --address (default 127.0.0.1) must be a loopback or test-LAN address (198.18.0.0/15).
// --seq makes the seq endpoint answer LAST (otherwise 404). --youtube-time answers every POST
// with the service's time, as YouTube does. Commands on standard input, one per line:
//   close          the service goes away (listener and connections closed)
//   open           it comes back on the same port
//   answer S [S…]  the next POSTs are answered with these statuses (-1 drop, -2 no answer)
//   quit

#include "FakeCaptionEndpoint.h"
#include "TestAddress.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>

#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {

qint64 monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void print(const QByteArray &line)
{
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
    const QCommandLineOption addressOption(u"address"_qs, u"Address to listen on."_qs, u"IP"_qs,
                                           u"127.0.0.1"_qs);
    const QCommandLineOption portOption(u"port"_qs, u"Port (0: any)."_qs, u"N"_qs, u"0"_qs);
    const QCommandLineOption seqOption(u"seq"_qs, u"Last accepted seq the seq endpoint answers."_qs,
                                       u"LAST"_qs);
    const QCommandLineOption timeOption(u"youtube-time"_qs, u"Answer POSTs with the service's time."_qs);
    const QCommandLineOption tlsOption(u"tls"_qs, u"PEM certificate and key, comma-separated."_qs,
                                       u"CERT,KEY"_qs);
    parser.addOptions({addressOption, portOption, seqOption, timeOption, tlsOption});
    parser.process(app);
    const QString address = parser.value(addressOption);
    if (!TestAddress::isTestAddress(address)) {
        std::fprintf(stderr, "%s is not a test address (127.0.0.0/8, 198.18.0.0/15)\n", qPrintable(address));
        return 2;
    }

    FakeCaptionEndpoint endpoint;
    if (parser.isSet(seqOption))
        endpoint.setSeqAnswer(200, parser.value(seqOption).toLatin1());
    if (parser.isSet(timeOption))
        endpoint.setTimeSource([] { return QDateTime::currentDateTimeUtc(); });
    if (parser.isSet(tlsOption)) {
        const QStringList files = parser.value(tlsOption).split(u',');
        QFile keyFile(files.value(1));
        const QList<QSslCertificate> certificates = QSslCertificate::fromPath(files.value(0));
        if (certificates.isEmpty() || !keyFile.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read the certificate or key\n");
            return 2;
        }
        const QByteArray pem = keyFile.readAll();
        QSslKey key(pem, QSsl::Ec);
        endpoint.useTls(certificates.constFirst(), key.isNull() ? QSslKey(pem, QSsl::Rsa) : key);
    }
    if (!endpoint.start(quint16(parser.value(portOption).toUInt()), QHostAddress(address))) {
        std::fprintf(stderr, "cannot listen: %s\n", qPrintable(endpoint.errorString()));
        return 1;
    }
    const quint16 port = endpoint.port();
    print("listening " + QByteArray::number(port));

    qsizetype reported = 0;
    QObject::connect(&endpoint, &FakeCaptionEndpoint::requestReceived, [&] {
        const QList<CapturedRequest> &requests = endpoint.requests();
        for (; reported < requests.size(); ++reported) {
            const CapturedRequest &request = requests[reported];
            QByteArray body = request.body;
            body.replace('\n', "\\n");
            print(request.method + " seq=" + QByteArray::number(request.seq()) +
                  " status=" + QByteArray::number(request.answeredStatus) +
                  " t=" + QByteArray::number(monotonicMs()) + " body=" + body);
        }
    });

    QByteArray input;
    QSocketNotifier stdinReady(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&stdinReady, &QSocketNotifier::activated, [&] {
        char buffer[4096];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            stdinReady.setEnabled(false);
            return;
        }
        input.append(buffer, got);
        for (qsizetype end; (end = input.indexOf('\n')) >= 0; input.remove(0, end + 1)) {
            const QList<QByteArray> words = input.left(end).trimmed().split(' ');
            if (words[0] == "close") {
                endpoint.stop();
            } else if (words[0] == "open") {
                if (!endpoint.start(port, QHostAddress(address)))
                    std::fprintf(stderr, "cannot listen again: %s\n", qPrintable(endpoint.errorString()));
            } else if (words[0] == "answer") {
                QList<int> answers;
                for (qsizetype i = 1; i < words.size(); ++i)
                    answers.append(words[i].toInt());
                endpoint.queueAnswers(answers);
            } else if (words[0] == "quit") {
                QCoreApplication::quit();
            }
            print("ok " + words[0] + " t=" + QByteArray::number(monotonicMs()));
        }
    });
    return QCoreApplication::exec();
}
