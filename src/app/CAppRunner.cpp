#include "app/CAppRunner.h"

#include "app/CLanguageResources.h"
#include "app/CMainWindow.h"
#include "app/CPosixSignalNotifier.h"
#include "contact/ReceivedChat.h"
#include "core/AppPaths.h"
#include "core/CDialogs.h"
#include "core/OperationLog.h"
#include "core/StringTable.h"
#include "display/CDlgMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>

CAppRunner::CAppRunner() : CAppRunner(Options{}) {}

CAppRunner::CAppRunner(Options options) : m_options(std::move(options)) {}

CAppRunner::~CAppRunner() = default;

QString CAppRunner::CommandLineFromArguments(const QStringList &arguments)
{
    return arguments.mid(1).join(u' ');
}

bool CAppRunner::Start(const QString &commandLine)
{
    WriteLog(QStringLiteral("--- application starts. ---"));
    // The run ends when the main window says so, not when its last window closes.
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance()))
        app->setQuitOnLastWindowClosed(false);

    m_mainWindow = std::make_unique<CMainWindow>(m_options.adapters);
    if (m_options.handleSignals) {
        // From here on an end signal takes the normal way out; the close request waits in the
        // queue until a loop runs.
        m_signals = std::make_unique<CPosixSignalNotifier>();
        CMainWindow *window = m_mainWindow.get();
        QObject::connect(m_signals.get(), &CPosixSignalNotifier::signalReceived, window,
                         [window](int signalNumber) {
                             WriteLogInt(QStringLiteral("signal received"), signalNumber);
                             window->Close();
                         });
    }
    if (!commandLine.isEmpty())
        m_mainWindow->SetCmdLine(commandLine);
    else
        m_mainWindow->LoadDefaultConfig();

    CLanguageResources::loadForStartup(m_mainWindow->config());

    // Sockets need no library start on this platform; the line keeps the log's shape.
    WriteLogInt(QStringLiteral("WSAStartup"), 0);

    QObject::connect(
        m_mainWindow.get(), &CMainWindow::quitRequested, QCoreApplication::instance(),
        [](int code) { QCoreApplication::exit(code); }, Qt::QueuedConnection);
    if (m_options.prepare)
        m_options.prepare(*m_mainWindow);
    // A main window that cannot be built ends the run instead of waiting for a quit that no
    // window would post.
    return m_mainWindow->Create();
}

int CAppRunner::Loop()
{
    const int code = QCoreApplication::exec();
    WriteLogInt(QStringLiteral("Loop returns"), code);
    return code;
}

int CAppRunner::Finish(int exitCode)
{
    WriteLogInt(QStringLiteral("WSACleanup"), 0);
    m_signals.reset();
    if (m_mainWindow && !m_mainWindow->isDestroyed())
        m_mainWindow->Destroy();
    WriteLog(QStringLiteral("--- application finishes. ---"));
    if (AbnormalResponse()) {
        HandOverOperationLog(QDateTime::currentDateTime());
        CDialogs::tell(nullptr, CDialogs::Icon::Warning, CStringTable::get(129), CStringTable::get(137));
    }
    m_mainWindow.reset();
    return exitCode;
}

int CAppRunner::Run(const QString &commandLine)
{
    if (!Start(commandLine))
        return Finish(0);
    return Finish(Loop());
}

bool CAppRunner::AbnormalResponse()
{
    return ReceivedChat::abnormalResponse() || CDlgMain::abnormalResponse();
}

QString CAppRunner::HandOverOperationLog(const QDateTime &localNow)
{
    const QString folder = CAppPaths::GetSettingsFolder();
    QDir().mkpath(folder);
    const QString target = CAppPaths::JoinPath(
        folder, CAppPaths::GetExeBaseName() + localNow.toString(QStringLiteral("_yyyyMMdd_HHmmss")) +
                    QStringLiteral(".txt"));
    const QString current = OperationLogPath();
    if (current.isEmpty())
        return QString();
    CloseOperationLog();
    if (!QFile::rename(current, target))
        return QString();
    return target;
}
