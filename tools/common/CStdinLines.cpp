#include "CStdinLines.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

CStdinLines::CStdinLines(QObject *parent) : QObject(parent)
{
    const int flags = ::fcntl(STDIN_FILENO, F_GETFL);
    if (flags >= 0)
        ::fcntl(STDIN_FILENO, F_SETFL, flags | O_NONBLOCK);
    m_notifier = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &CStdinLines::onReadable);
}

CStdinLines::~CStdinLines() = default;

void CStdinLines::onReadable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n > 0) {
            m_pending.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0) {
            m_notifier->setEnabled(false);
            m_ended = true;
        }
        break; // EAGAIN: wait for the next notification
    }
    // Commands are handled one by one; a handler may end the loop, which stops the rest.
    qsizetype start = 0;
    for (qsizetype nl = m_pending.indexOf('\n', start); nl >= 0; nl = m_pending.indexOf('\n', start)) {
        QByteArray line = m_pending.mid(start, nl - start);
        if (line.endsWith('\r'))
            line.chop(1);
        start = nl + 1;
        emit lineReceived(QString::fromUtf8(line));
    }
    m_pending.remove(0, start);
    if (m_ended) {
        if (!m_pending.isEmpty()) {
            emit lineReceived(QString::fromUtf8(m_pending));
            m_pending.clear();
        }
        emit endOfInput();
    }
}
