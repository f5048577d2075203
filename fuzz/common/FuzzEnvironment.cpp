#include "FuzzEnvironment.h"

#include "core/OperationLog.h"

#include <QDir>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

QString g_scratchFolder;

void removeScratchFolder()
{
    QDir(g_scratchFolder).removeRecursively();
}

} // namespace

void disableOperationLog()
{
    // No folder can be made below a character device: the log stays off for the whole run.
    qputenv("XDG_CONFIG_HOME", "/dev/null/tavrin-fuzz");
    qputenv("HOME", "/dev/null/tavrin-fuzz");
    CloseOperationLog();
    if (WriteLog(QStringLiteral("fuzz")))
        qFatal("the operation log must stay closed while fuzzing");
}

void checkAt(bool condition, const char *expression, int line)
{
    if (condition)
        return;
    std::fprintf(stderr, "check failed at line %d: %s\n", line, expression);
    std::abort();
}

QString makeScratchFolder(const char *name)
{
    const QString base =
        QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    g_scratchFolder = base + QStringLiteral("/tavrin-fuzz-%1-%2").arg(QLatin1String(name)).arg(::getpid());
    if (!QDir().mkpath(g_scratchFolder))
        std::abort();
    std::atexit(removeScratchFolder);
    return g_scratchFolder;
}
