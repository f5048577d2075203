#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Headless Chromium driven over its DevTools pipe (file descriptors 3 and 4 of the child), so
// that a test can read and drive a page that keeps changing by itself. Chromium gets a fresh
// profile (shared by the pages of one instance, so local storage survives a reload) and may
// resolve no host name at all.
class ChromiumPipe final
{
public:
    ChromiumPipe();
    ~ChromiumPipe();
    ChromiumPipe(const ChromiumPipe &) = delete;
    ChromiumPipe &operator=(const ChromiumPipe &) = delete;

    // The chromium executable, or empty when none is installed.
    static QString executable();
    // The switches every run uses (headless, no sandbox, no background traffic, fresh profile).
    static QStringList baseArguments(const QString &profileDir);

    bool start(const QString &program);
    // Sends a DevTools command and waits for its answer; an empty object on error or timeout
    // (then errorText() says why; it is empty after a command that succeeded).
    QJsonObject call(const QString &method, const QJsonObject &params = {}, const QString &sessionId = {},
                     int timeoutMs = 30000);
    // Opens a page and attaches to it; returns the session, empty on failure. A width and
    // height other than 0 make the page's viewport that size (a phone, say).
    QString openPage(const QString &url, int width = 0, int height = 0);
    // Evaluates a JavaScript expression in the page; its string value, or a null string.
    QString evaluate(const QString &sessionId, const QString &expression);
    QString errorText() const { return m_error; }

private:
    void readAvailable();

    QProcess m_process;
    QTemporaryDir m_profile;
    int m_toChild[2] = {-1, -1};
    int m_fromChild[2] = {-1, -1};
    QByteArray m_buffer;
    QList<QJsonObject> m_answers;
    int m_nextId = 1;
    QString m_error;
};
