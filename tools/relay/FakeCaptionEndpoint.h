#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>

#include <functional>

// One HTTP request as it reached the fake service.
struct CapturedRequest
{
    QByteArray requestLine; // "POST /closedcaption?...&seq=1&lang=en-US HTTP/1.1"
    QByteArray method;
    QByteArray target; // path and query
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;
    // The status it was answered with; 0 when the connection was dropped or left hanging.
    int answeredStatus = 0;

    // The first header of that name, compared without case; empty when there is none.
    QByteArray header(const QByteArray &name) const;
    // A query parameter as sent; -1 for a seq that is missing.
    QByteArray queryValue(const QByteArray &key) const;
    qint64 seq() const;
};

// A caption service on loopback that speaks HTTP/1.1 with keep-alive as Zoom's and YouTube's
// caption endpoints do: POSTs are answered 200 unless the test scripted otherwise, a GET of a path
// ending in "/seq" answers the last accepted seq, and every answer's body is the service's time
// when a time source is set (YouTube tells its time that way). With a certificate and key it
// speaks HTTPS instead.
class FakeCaptionEndpoint final : public QTcpServer
{
    Q_OBJECT

public:
    // Scripted answers besides an HTTP status.
    static constexpr int kDrop = -1; // close the connection without answering
    static constexpr int kHang = -2; // read the request, never answer

    explicit FakeCaptionEndpoint(QObject *parent = nullptr);
    ~FakeCaptionEndpoint() override;

    void useTls(const QSslCertificate &certificate, const QSslKey &key);
    // Listens on the address (port 0: any free port).
    bool start(quint16 port = 0, const QHostAddress &address = QHostAddress(QHostAddress::LocalHost));
    // Closes the listener and every connection: the service is gone.
    void stop();
    quint16 port() const { return m_nPort; }
    // "http://ADDRESS:PORT" + pathAndQuery (https with TLS).
    QString url(const QString &pathAndQuery) const;

    // Answers for the next POSTs, in order; afterwards 200.
    void queueAnswers(const QList<int> &answers) { m_answers += answers; }
    // How the seq endpoint answers.
    void setSeqAnswer(int status, const QByteArray &body);
    void setTimeSource(std::function<QDateTime()> now) { m_timeSource = std::move(now); }

    const QList<CapturedRequest> &requests() const { return m_requests; }
    QList<CapturedRequest> posts() const;
    // Bodies and seqs of the POSTs answered with a 2xx status, in order.
    QList<QByteArray> acceptedBodies() const;
    QList<qint64> acceptedSeqs() const;

signals:
    void requestReceived();

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void serve(QTcpSocket *socket);
    void answer(QTcpSocket *socket, CapturedRequest &request);

    QSslCertificate m_certificate;
    QSslKey m_key;
    QHostAddress m_address;
    quint16 m_nPort = 0;
    QList<int> m_answers;
    int m_nSeqStatus = 404;
    QByteArray m_seqBody;
    std::function<QDateTime()> m_timeSource;
    QList<CapturedRequest> m_requests;
    QList<QTcpSocket *> m_sockets;
};

// Makes a self-signed certificate for 127.0.0.1 with the openssl command; false (and why) when
// that is not possible here.
bool makeLoopbackCertificate(QSslCertificate &certificate, QSslKey &key, QString *why);
