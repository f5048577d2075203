#include "core/OperationLog.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    WriteLog(QStringLiteral("--- application starts. ---"));
    const int result = app.exec();
    WriteLog(QStringLiteral("--- application ends. ---"));
    return result;
}
