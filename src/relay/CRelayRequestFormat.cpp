#include "relay/CRelayRequestFormat.h"

#include <QRegularExpression>

namespace {

// Line breaks of any platform inside a caption, as one kind.
QString withLineFeeds(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

QUrl parsed(const QString &url)
{
    return QUrl(url.trimmed(), QUrl::TolerantMode);
}

} // namespace

bool CRelayRequestFormat::IsUsableUrl(const QString &url)
{
    const QUrl parsedUrl = parsed(url);
    const QString scheme = parsedUrl.scheme().toLower();
    return parsedUrl.isValid() && !parsedUrl.host().isEmpty() &&
           (scheme == QStringLiteral("https") || scheme == QStringLiteral("http"));
}

QUrl CRelayRequestFormat::CaptionUrl(RelayKind kind, const QString &url, qint64 seq, const QString &language)
{
    QUrl result = parsed(url);
    QString query = result.query(QUrl::FullyEncoded);
    if (!query.isEmpty())
        query += u'&';
    query += QStringLiteral("seq=%1").arg(seq);
    if (kind == RelayKind::Zoom)
        query += QStringLiteral("&lang=") + QString::fromLatin1(QUrl::toPercentEncoding(language));
    result.setQuery(query, QUrl::TolerantMode);
    return result;
}

QUrl CRelayRequestFormat::ZoomSeqUrl(const QString &tokenUrl)
{
    QUrl result = parsed(tokenUrl);
    QString path = result.path(QUrl::FullyEncoded);
    const QString marker = QStringLiteral("closedcaption");
    const qsizetype at = path.indexOf(marker);
    if (at < 0)
        return {};
    path.insert(at + marker.size(), QStringLiteral("/seq"));
    result.setPath(path, QUrl::TolerantMode);
    return result;
}

QByteArray CRelayRequestFormat::CaptionBody(RelayKind kind, const QString &text, const QDateTime &utc)
{
    return kind == RelayKind::Zoom ? ZoomBody(text) : YouTubeBody(text, utc);
}

QByteArray CRelayRequestFormat::ZoomBody(const QString &text)
{
    return withLineFeeds(text).toUtf8();
}

QByteArray CRelayRequestFormat::YouTubeBody(const QString &text, const QDateTime &utc)
{
    QString caption = withLineFeeds(text);
    caption.replace(u'\n', QStringLiteral("<br>"));
    return utc.toUTC().toString(QLatin1String(kTimeFormat)).toLatin1() + '\n' + caption.toUtf8() + '\n';
}

std::optional<qint64> CRelayRequestFormat::ParseZoomSeq(const QByteArray &body)
{
    bool ok = false;
    const qint64 seq = body.trimmed().toLongLong(&ok);
    if (!ok || seq < 0)
        return std::nullopt;
    return seq;
}

std::optional<QDateTime> CRelayRequestFormat::ParseYouTubeTime(const QByteArray &body)
{
    QString text = QString::fromLatin1(body.trimmed().split('\n').constFirst()).trimmed();
    if (text.endsWith(u'Z'))
        text.chop(1);
    // Read the fields as UTC directly: going through local time would lose an hour in a
    // daylight-saving gap.
    const QDate date = QDate::fromString(text.left(10), Qt::ISODate);
    if (text.size() < 19 || text.at(10) != u'T')
        return std::nullopt;
    const QString timeText = text.mid(11);
    QTime time = QTime::fromString(timeText, QStringLiteral("HH:mm:ss.zzz"));
    if (!time.isValid())
        time = QTime::fromString(timeText, QStringLiteral("HH:mm:ss"));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    return QDateTime(date, time, Qt::UTC);
}

QString CRelayRequestFormat::KindName(RelayKind kind)
{
    return kind == RelayKind::Zoom ? QStringLiteral("Zoom") : QStringLiteral("YouTube");
}

QString CRelayRequestFormat::LogName(RelayKind kind, const QString &url)
{
    const QString host = parsed(url).host();
    return KindName(kind) + QStringLiteral(" (") + (host.isEmpty() ? QStringLiteral("no host") : host) +
           QStringLiteral(")");
}

QString CRelayRequestFormat::Redacted(const QString &text)
{
    static const QRegularExpression urlPattern(QStringLiteral("[A-Za-z][A-Za-z0-9+.-]*://\\S+"));
    QString result;
    qsizetype from = 0;
    QRegularExpressionMatchIterator it = urlPattern.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        result += text.mid(from, match.capturedStart() - from);
        const QString host = QUrl(match.captured()).host();
        result += host.isEmpty() ? QStringLiteral("(address)") : host;
        from = match.capturedEnd();
    }
    return result + text.mid(from);
}
