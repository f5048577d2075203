#include "app/CAppRunner.h"
#include "app/wiring/InstallWindows.h"
#include "core/DescriptorLimit.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    RaiseDescriptorLimit();
    QApplication app(argc, argv);
    CAppRunner::Options options;
    options.prepare = [](CMainWindow &mainWindow) { InstallAppWindows(mainWindow); };
    CAppRunner runner(options);
    return runner.Run(CAppRunner::CommandLineFromArguments(QCoreApplication::arguments()));
}
