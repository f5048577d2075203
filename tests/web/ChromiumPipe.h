#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Headless Chromium driven over its DevTools pipe (file descriptors 3 and 4 of the child), so
// that a test can read the rendered page while the page keeps reloading itself. Chromium gets a
// fresh profile and may resolve no host name at all.
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
    // Sends a DevTools command and waits for its answer; an empty object on error or timeout.
    QJsonObject call(const QString &method, const QJsonObject &params = {}, const QString &sessionId = {},
                     int timeoutMs = 30000);
    // Opens a page and attaches to it; returns the session, empty on failure.
    QString openPage(const QString &url);
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
