#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class CMainWindow;
class CPosixSignalNotifier;
class IAdapterSource;

// The run from start to end: settings, language, main window, event loop, shutdown and the hand-
// over of the operation log when something unusual happened. Tests drive the steps one by one;
// main() calls Run().
class CAppRunner final
{
public:
    struct Options
    {
        // nullptr: this machine's adapters. Must outlive the runner.
        IAdapterSource *adapters = nullptr;
        // Runs on the main window before it is created (hooks of tests and of other windows).
        std::function<void(CMainWindow &)> prepare;
        // SIGTERM, SIGINT and SIGHUP end the run through the main window's normal shutdown.
        bool handleSignals = true;
    };

    CAppRunner();
    explicit CAppRunner(Options options);
    ~CAppRunner();
    CAppRunner(const CAppRunner &) = delete;
    CAppRunner &operator=(const CAppRunner &) = delete;

    // The command line as one string, as the program would get it in one piece: the arguments
    // after the program name, joined by blanks (an unquoted path with a blank arrives in two).
    static QString CommandLineFromArguments(const QStringList &arguments);

    // Everything up to a created main window. False when the run cannot go on.
    bool Start(const QString &commandLine);
    // The event loop; returns the code of the quit request.
    int Loop();
    // Shutdown; the main window is destroyed if it was not yet. Returns exitCode.
    int Finish(int exitCode);
    int Run(const QString &commandLine);

    CMainWindow *mainWindow() const { return m_mainWindow.get(); }

    // Closes the operation log and moves it into the settings folder as
    // PROGRAM_%Y%m%d_%H%M%S.txt. Returns the new path, or empty when there was nothing to move.
    static QString HandOverOperationLog(const QDateTime &localNow);
    // Whether some part of the program saw an inconsistency worth the developer's attention.
    static bool AbnormalResponse();

private:
    Options m_options;
    std::unique_ptr<CMainWindow> m_mainWindow;
    std::unique_ptr<CPosixSignalNotifier> m_signals;
};
