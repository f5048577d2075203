#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QList>

// One server-sent event as a browser's EventSource would dispatch it.
struct SseEvent
{
    QByteArray type;
    QByteArray id;
    QByteArray data;
    QJsonObject json() const { return QJsonDocument::fromJson(data).object(); }
    // The N of an id "RUN-N"; -1 when there is none.
    qint64 number() const
    {
        const qsizetype dash = id.lastIndexOf('-');
        bool ok = false;
        const qint64 n = dash < 0 ? -1 : id.mid(dash + 1).toLongLong(&ok);
        return ok ? n : -1;
    }
};

// The complete events in a stream of bytes, in order. Comments, "retry:" lines and a trailing
// incomplete event are left out; *rest gets the bytes after the last complete event.
inline QList<SseEvent> parseSse(QByteArrayView bytes, QByteArray *rest = nullptr)
{
    QList<SseEvent> events;
    SseEvent current;
    bool any = false;
    qsizetype consumed = 0;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype end = bytes.indexOf('\n', pos);
        if (end < 0)
            break;
        const QByteArrayView line = bytes.sliced(pos, end - pos);
        pos = end + 1;
        if (line.isEmpty()) {
            if (any)
                events.append(current);
            current = {};
            any = false;
            consumed = pos;
            continue;
        }
        if (line.startsWith(':') || line.startsWith("retry:"))
            continue;
        const qsizetype colon = line.indexOf(':');
        const QByteArrayView field = colon < 0 ? line : line.first(colon);
        QByteArrayView value = colon < 0 ? QByteArrayView() : line.sliced(colon + 1);
        if (value.startsWith(' '))
            value = value.sliced(1);
        if (field == "event")
            current.type = value.toByteArray();
        else if (field == "id")
            current.id = value.toByteArray();
        else if (field == "data")
            current.data += (current.data.isEmpty() ? QByteArray() : QByteArray("\n")) + value.toByteArray();
        any = true;
    }
    if (rest)
        *rest = bytes.sliced(consumed).toByteArray();
    return events;
}
