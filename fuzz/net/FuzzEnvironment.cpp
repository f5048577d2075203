#include "FuzzEnvironment.h"

#include "core/OperationLog.h"

#include <QtGlobal>

void disableOperationLog()
{
    // No folder can be made below a character device: the log stays off for the whole run.
    qputenv("XDG_CONFIG_HOME", "/dev/null/tavrin-fuzz");
    qputenv("HOME", "/dev/null/tavrin-fuzz");
    CloseOperationLog();
    if (WriteLog(QStringLiteral("fuzz")))
        qFatal("the operation log must stay closed while fuzzing");
}
