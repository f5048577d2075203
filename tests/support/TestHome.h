#pragma once

#include <QStringList>
#include <QTemporaryDir>

// Points HOME and the XDG folders at a fresh temporary folder for the test's lifetime, so that
// settings, the operation log and documents never touch the real user's files. The operation
// log is closed on entry and exit, so each TestHome starts a new log run.
class TestHome final
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString path() const { return m_dir.path(); }
    QString settingsFolder() const;
    QString documentsFolder() const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldHome;
    QByteArray m_oldConfig;
};

// The lines of this run's operation log with their "[date time] " prefix removed.
QStringList operationLogLines();
// Reads a UTF-16LE file with byte-order mark; an empty list when it is missing or has no mark.
QString readUtf16File(const QString &path);
