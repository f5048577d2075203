#include "app/CAppRunner.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    CAppRunner runner;
    return runner.Run(CAppRunner::CommandLineFromArguments(QCoreApplication::arguments()));
}
