#include "FakeCaptionEndpoint.h"

#include <QProcess>
#include <QSslSocket>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrlQuery>

namespace {

QByteArray reasonPhrase(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    case 503:
        return "Service Unavailable";
    default:
        return "Status";
    }
}

} // namespace

QByteArray CapturedRequest::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QByteArray CapturedRequest::queryValue(const QByteArray &key) const
{
    const qsizetype mark = target.indexOf('?');
    if (mark < 0)
        return {};
    for (const QByteArray &pair : target.mid(mark + 1).split('&')) {
        if (pair.startsWith(key + '='))
            return pair.mid(key.size() + 1);
    }
    return {};
}

qint64 CapturedRequest::seq() const
{
    bool ok = false;
    const qint64 value = queryValue("seq").toLongLong(&ok);
    return ok ? value : -1;
}

FakeCaptionEndpoint::FakeCaptionEndpoint(QObject *parent) : QTcpServer(parent) {}

FakeCaptionEndpoint::~FakeCaptionEndpoint()
{
    stop();
}

void FakeCaptionEndpoint::useTls(const QSslCertificate &certificate, const QSslKey &key)
{
    m_certificate = certificate;
    m_key = key;
}

bool FakeCaptionEndpoint::start(quint16 port, const QHostAddress &address)
{
    if (!listen(address, port))
        return false;
    m_address = address;
    m_nPort = serverPort();
    return true;
}

void FakeCaptionEndpoint::stop()
{
    close();
    const QList<QTcpSocket *> sockets = m_sockets;
    m_sockets.clear();
    for (QTcpSocket *socket : sockets) {
        socket->abort();
        socket->deleteLater();
    }
}

QString FakeCaptionEndpoint::url(const QString &pathAndQuery) const
{
    return QStringLiteral("%1://%2:%3")
               .arg(m_certificate.isNull() ? QStringLiteral("http") : QStringLiteral("https"),
                    m_address.toString())
               .arg(m_nPort) +
           pathAndQuery;
}

void FakeCaptionEndpoint::setSeqAnswer(int status, const QByteArray &body)
{
    m_nSeqStatus = status;
    m_seqBody = body;
}

QList<CapturedRequest> FakeCaptionEndpoint::posts() const
{
    QList<CapturedRequest> result;
    for (const CapturedRequest &request : m_requests) {
        if (request.method == "POST")
            result.append(request);
    }
    return result;
}

QList<QByteArray> FakeCaptionEndpoint::acceptedBodies() const
{
    QList<QByteArray> result;
    for (const CapturedRequest &request : posts()) {
        if (request.answeredStatus / 100 == 2)
            result.append(request.body);
    }
    return result;
}

QList<qint64> FakeCaptionEndpoint::acceptedSeqs() const
{
    QList<qint64> result;
    for (const CapturedRequest &request : posts()) {
        if (request.answeredStatus / 100 == 2)
            result.append(request.seq());
    }
    return result;
}

void FakeCaptionEndpoint::incomingConnection(qintptr descriptor)
{
    QTcpSocket *socket = nullptr;
    if (m_certificate.isNull()) {
        socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
    } else {
        auto *ssl = new QSslSocket(this);
        ssl->setSocketDescriptor(descriptor);
        ssl->setLocalCertificate(m_certificate);
        ssl->setPrivateKey(m_key);
        ssl->startServerEncryption();
        socket = ssl;
    }
    m_sockets.append(socket);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { serve(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (m_sockets.removeOne(socket))
            socket->deleteLater();
    });
}

void FakeCaptionEndpoint::serve(QTcpSocket *socket)
{
    // The buffer lives on the socket until a whole request (head and Content-Length body) is in.
    QByteArray buffer = socket->property("buffer").toByteArray() + socket->readAll();
    for (;;) {
        const qsizetype headEnd = buffer.indexOf("\r\n\r\n");
        if (headEnd < 0)
            break;
        CapturedRequest request;
        const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
        request.requestLine = lines.constFirst().trimmed();
        const QList<QByteArray> parts = request.requestLine.split(' ');
        request.method = parts.value(0);
        request.target = parts.value(1);
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon > 0)
                request.headers.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
        }
        const qsizetype length = request.header("Content-Length").toLongLong();
        if (buffer.size() < headEnd + 4 + length)
            break;
        request.body = buffer.mid(headEnd + 4, length);
        buffer.remove(0, headEnd + 4 + length);
        answer(socket, request);
        m_requests.append(request);
        emit requestReceived();
        if (!m_sockets.contains(socket))
            return;
    }
    socket->setProperty("buffer", buffer);
}

void FakeCaptionEndpoint::answer(QTcpSocket *socket, CapturedRequest &request)
{
    int status = 200;
    QByteArray body;
    if (request.method == "GET" && request.target.left(request.target.indexOf('?')).endsWith("/seq")) {
        status = m_nSeqStatus;
        body = m_seqBody;
    } else if (!m_answers.isEmpty()) {
        status = m_answers.takeFirst();
    }
    if (status == kHang)
        return;
    if (status == kDrop) {
        m_sockets.removeOne(socket);
        socket->abort();
        socket->deleteLater();
        return;
    }
    if (m_timeSource && request.method == "POST")
        body = m_timeSource().toUTC().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz")).toLatin1() + '\n';
    request.answeredStatus = status;
    socket->write("HTTP/1.1 " + QByteArray::number(status) + ' ' + reasonPhrase(status) +
                  "\r\nContent-Type: text/plain; charset=UTF-8\r\nContent-Length: " +
                  QByteArray::number(body.size()) + "\r\n\r\n" + body);
}

bool makeLoopbackCertificate(QSslCertificate &certificate, QSslKey &key, QString *why)
{
    if (!QSslSocket::supportsSsl()) {
        *why = QStringLiteral("no TLS backend");
        return false;
    }
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty()) {
        *why = QStringLiteral("the openssl command is not installed");
        return false;
    }
    QTemporaryDir dir;
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.start(openssl, {QStringLiteral("req"), QStringLiteral("-x509"), QStringLiteral("-newkey"),
                            QStringLiteral("ec"), QStringLiteral("-pkeyopt"),
                            QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                            QStringLiteral("-keyout"), QStringLiteral("key.pem"), QStringLiteral("-out"),
                            QStringLiteral("cert.pem"), QStringLiteral("-days"), QStringLiteral("2"),
                            QStringLiteral("-subj"), QStringLiteral("/CN=127.0.0.1"),
                            QStringLiteral("-addext"), QStringLiteral("subjectAltName=IP:127.0.0.1")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        *why = QStringLiteral("openssl failed: ") + QString::fromLocal8Bit(process.readAllStandardError());
        return false;
    }
    const QList<QSslCertificate> certificates =
        QSslCertificate::fromPath(dir.filePath(QStringLiteral("cert.pem")));
    QFile keyFile(dir.filePath(QStringLiteral("key.pem")));
    if (certificates.isEmpty() || !keyFile.open(QIODevice::ReadOnly)) {
        *why = QStringLiteral("openssl wrote no certificate");
        return false;
    }
    certificate = certificates.constFirst();
    key = QSslKey(keyFile.readAll(), QSsl::Ec);
    return !key.isNull();
}
