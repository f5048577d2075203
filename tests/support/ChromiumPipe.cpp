#include "ChromiumPipe.h"

#include <QJsonDocument>
#include <QStandardPaths>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Puts fd at target in the child with close-on-exec cleared.
void placeFd(int fd, int target)
{
    if (fd == target)
        ::fcntl(fd, F_SETFD, 0);
    else
        ::dup2(fd, target);
}

} // namespace

ChromiumPipe::ChromiumPipe() = default;

ChromiumPipe::~ChromiumPipe()
{
    if (m_process.state() != QProcess::NotRunning) {
        call(QStringLiteral("Browser.close"), {}, {}, 5000);
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    for (int fd : {m_toChild[0], m_toChild[1], m_fromChild[0], m_fromChild[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
}

QString ChromiumPipe::executable()
{
    const QString fromEnvironment = qEnvironmentVariable("TAVRIN_CHROMIUM");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    for (const char *name : {"chromium", "chromium-browser"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QStringList ChromiumPipe::baseArguments(const QString &profileDir)
{
    return {
        QStringLiteral("--headless=new"),
        QStringLiteral("--no-sandbox"),
        QStringLiteral("--disable-gpu"),
        QStringLiteral("--disable-background-networking"),
        QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"),
        QStringLiteral("--no-first-run"),
        QStringLiteral("--no-default-browser-check"),
        QStringLiteral("--no-proxy-server"),
        // Loopback only: any other host name fails without a lookup.
        QStringLiteral("--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1"),
        QStringLiteral("--user-data-dir=") + profileDir,
    };
}

bool ChromiumPipe::start(const QString &program)
{
    if (!m_profile.isValid() || ::pipe2(m_toChild, O_CLOEXEC) != 0 || ::pipe2(m_fromChild, O_CLOEXEC) != 0) {
        m_error = QStringLiteral("cannot make the pipes");
        return false;
    }
    ::fcntl(m_fromChild[0], F_SETFL, O_NONBLOCK);
    const int childRead = m_toChild[0];
    const int childWrite = m_fromChild[1];
    m_process.setChildProcessModifier([childRead, childWrite] {
        // Move both out of the way first, so that neither lands on the other's target.
        const int read = ::fcntl(childRead, F_DUPFD_CLOEXEC, 10);
        const int write = ::fcntl(childWrite, F_DUPFD_CLOEXEC, 10);
        placeFd(read, 3);
        placeFd(write, 4);
    });
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    QStringList arguments = baseArguments(m_profile.path());
    arguments << QStringLiteral("--remote-debugging-pipe") << QStringLiteral("about:blank");
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000)) {
        m_error = QStringLiteral("chromium did not start: ") + m_process.errorString();
        return false;
    }
    ::close(m_toChild[0]);
    ::close(m_fromChild[1]);
    m_toChild[0] = m_fromChild[1] = -1;
    return true;
}

void ChromiumPipe::readAvailable()
{
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(m_fromChild[0], chunk, sizeof chunk);
        if (n <= 0)
            break;
        m_buffer.append(chunk, n);
    }
    qsizetype end = 0;
    while ((end = m_buffer.indexOf('\0')) >= 0) {
        const QJsonObject message = QJsonDocument::fromJson(m_buffer.left(end)).object();
        m_buffer.remove(0, end + 1);
        if (message.contains(QLatin1String("id")))
            m_answers.append(message);
    }
}

QJsonObject ChromiumPipe::call(const QString &method, const QJsonObject &params, const QString &sessionId,
                               int timeoutMs)
{
    if (m_toChild[1] < 0)
        return {};
    // Many commands answer with an empty result: only the error text tells failure apart.
    m_error.clear();
    const int id = m_nextId++;
    QJsonObject command{{QStringLiteral("id"), id}, {QStringLiteral("method"), method}};
    if (!params.isEmpty())
        command.insert(QStringLiteral("params"), params);
    if (!sessionId.isEmpty())
        command.insert(QStringLiteral("sessionId"), sessionId);
    const QByteArray bytes = QJsonDocument(command).toJson(QJsonDocument::Compact) + QByteArray(1, '\0');
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(m_toChild[1], bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n <= 0) {
            m_error = QStringLiteral("cannot write to chromium");
            return {};
        }
        written += n;
    }

    QJsonObject answer;
    const bool answered = QTest::qWaitFor(
        [this, id, &answer] {
            readAvailable();
            for (qsizetype i = 0; i < m_answers.size(); ++i) {
                if (m_answers.at(i).value(QLatin1String("id")).toInt() == id) {
                    answer = m_answers.takeAt(i);
                    return true;
                }
            }
            return m_process.state() == QProcess::NotRunning;
        },
        timeoutMs);
    if (!answered || answer.isEmpty()) {
        m_error = method + QStringLiteral(": no answer");
        return {};
    }
    if (answer.contains(QLatin1String("error"))) {
        m_error = method + QStringLiteral(": ") +
                  QString::fromUtf8(QJsonDocument(answer).toJson(QJsonDocument::Compact));
        return {};
    }
    return answer.value(QLatin1String("result")).toObject();
}

QString ChromiumPipe::openPage(const QString &url, int width, int height)
{
    // Opened blank first, so that the viewport is set before the page lays itself out.
    const QJsonObject target =
        call(QStringLiteral("Target.createTarget"), {{QStringLiteral("url"), QStringLiteral("about:blank")}});
    const QString targetId = target.value(QLatin1String("targetId")).toString();
    if (targetId.isEmpty())
        return {};
    const QJsonObject attached =
        call(QStringLiteral("Target.attachToTarget"),
             {{QStringLiteral("targetId"), targetId}, {QStringLiteral("flatten"), true}});
    const QString session = attached.value(QLatin1String("sessionId")).toString();
    if (session.isEmpty())
        return {};
    if (width > 0 && height > 0) {
        const QJsonObject metrics{{QStringLiteral("width"), width},
                                  {QStringLiteral("height"), height},
                                  {QStringLiteral("deviceScaleFactor"), 1},
                                  {QStringLiteral("mobile"), true}};
        if (call(QStringLiteral("Emulation.setDeviceMetricsOverride"), metrics, session).isEmpty() &&
            !m_error.isEmpty())
            return {};
    }
    if (call(QStringLiteral("Page.navigate"), {{QStringLiteral("url"), url}}, session).isEmpty())
        return {};
    return session;
}

QString ChromiumPipe::evaluate(const QString &sessionId, const QString &expression)
{
    const QJsonObject result =
        call(QStringLiteral("Runtime.evaluate"),
             {{QStringLiteral("expression"), expression}, {QStringLiteral("returnByValue"), true}}, sessionId,
             10000);
    const QJsonValue value = result.value(QLatin1String("result")).toObject().value(QLatin1String("value"));
    return value.isString() ? value.toString() : QString();
}
