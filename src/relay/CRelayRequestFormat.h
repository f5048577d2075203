#pragma once

#include "relay/RelayTypes.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QUrl>

#include <optional>

// The requests the caption services take, as their public caption formats give them, and the
// answers read back. Plain functions over text: no socket, no clock.
//
// Zoom:    POST token URL + "&seq=N&lang=LL-CC", the caption's UTF-8 text as the body.
// YouTube: POST ingestion URL + "&seq=N", the body "YYYY-MM-DDTHH:MM:SS.mmm\n" (UTC) followed by
//          the text with its line breaks as "<br>", and a final "\n".
// Both are sent as "Content-Type: text/plain".
class CRelayRequestFormat final
{
public:
    CRelayRequestFormat() = delete;

    static constexpr char kContentType[] = "text/plain";
    static constexpr char kTimeFormat[] = "yyyy-MM-dd'T'HH:mm:ss.zzz";

    // An http or https URL with a host; anything else cannot be a caption URL.
    static bool IsUsableUrl(const QString &url);
    // The URL a caption with this seq is posted to. The query the user pasted is kept byte for
    // byte; the parameters are appended to it.
    static QUrl CaptionUrl(RelayKind kind, const QString &url, qint64 seq, const QString &language);
    // Zoom's seq endpoint: "closedcaption" in the token URL's path becomes "closedcaption/seq".
    // An empty URL when the path has no "closedcaption".
    static QUrl ZoomSeqUrl(const QString &tokenUrl);
    static QByteArray CaptionBody(RelayKind kind, const QString &text, const QDateTime &utc);
    static QByteArray ZoomBody(const QString &text);
    static QByteArray YouTubeBody(const QString &text, const QDateTime &utc);

    // The last seq Zoom accepted, from the seq endpoint's plain-text answer.
    static std::optional<qint64> ParseZoomSeq(const QByteArray &body);
    // The server time at the head of a YouTube answer, read as UTC.
    static std::optional<QDateTime> ParseYouTubeTime(const QByteArray &body);

    static QString KindName(RelayKind kind);
    // What logs and error texts may say about a target: its kind and host, never the path or
    // query that carry the credentials. "Zoom (wmcc.zoom.us)".
    static QString LogName(RelayKind kind, const QString &url);
    // The text with every URL in it replaced by its host. Network error texts may quote the URL.
    static QString Redacted(const QString &text);
};
