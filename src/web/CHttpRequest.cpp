#include "web/CHttpRequest.h"

#include <QList>

namespace {

QByteArrayView requestLine(QByteArrayView bytes)
{
    const qsizetype end = bytes.indexOf('\n');
    return end < 0 ? bytes : bytes.first(end);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

} // namespace

CHttpRequest::CHttpRequest(QByteArrayView head)
{
    const QByteArrayView line = requestLine(head);
    const QList<QByteArray> words = line.toByteArray().simplified().split(' ');
    m_method = words.value(0);
    const QByteArray target = words.value(1);
    const qsizetype query = target.indexOf('?');
    m_path = query < 0 ? target : target.left(query);
    if (line.size() < head.size())
        m_headers = head.sliced(line.size() + 1).toByteArray();
}

bool CHttpRequest::HasRequestLine(QByteArrayView bytes)
{
    return bytes.contains('\n');
}

bool CHttpRequest::IsComplete(QByteArrayView bytes)
{
    if (!HasRequestLine(bytes))
        return false;
    if (bytes.contains("\r\n\r\n") || bytes.contains("\n\n"))
        return true;
    // "GET /path" alone: the simple request of the first HTTP, which ends with its line.
    return requestLine(bytes).trimmed().count(' ') < 2;
}

CHttpRequest::Target CHttpRequest::target() const
{
    if (m_path == "/live")
        return Target::LivePage;
    if (m_path == "/overlay")
        return Target::OverlayPage;
    if (m_path == "/live/events")
        return Target::LiveEvents;
    return Target::ClassicPage;
}

QByteArray CHttpRequest::header(QByteArrayView name) const
{
    qsizetype pos = 0;
    while (pos < m_headers.size()) {
        qsizetype end = m_headers.indexOf('\n', pos);
        if (end < 0)
            end = m_headers.size();
        const QByteArrayView line = QByteArrayView(m_headers).sliced(pos, end - pos);
        pos = end + 1;
        if (line.isEmpty() || line == "\r")
            break;
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        QByteArrayView field = line.first(colon);
        while (!field.isEmpty() && isBlank(field.back()))
            field.chop(1);
        if (field.compare(name, Qt::CaseInsensitive) == 0)
            return line.sliced(colon + 1).trimmed().toByteArray();
    }
    return {};
}
