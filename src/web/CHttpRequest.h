#pragma once

#include <QByteArray>
#include <QByteArrayView>

// A request head as far as the web server looks at it: the method, the path that picks the page,
// and the headers. Parsing never fails: a head cut short yields what it holds.
class CHttpRequest final
{
public:
    enum class Target
    {
        ClassicPage, // every path the others do not take
        LivePage,    // /live
        OverlayPage, // /overlay
        LiveEvents,  // /live/events
    };

    explicit CHttpRequest(QByteArrayView head);

    // The request line has ended, so the path is known.
    static bool HasRequestLine(QByteArrayView bytes);
    // The head has ended: a blank line, or a request line without a version (which has no
    // headers).
    static bool IsComplete(QByteArrayView bytes);

    const QByteArray &method() const { return m_method; }
    // Without the query.
    const QByteArray &path() const { return m_path; }
    Target target() const;
    // The value of the first header of that name (any case), without surrounding blanks; empty
    // when there is none.
    QByteArray header(QByteArrayView name) const;

private:
    QByteArray m_method;
    QByteArray m_path;
    QByteArray m_headers;
};
