#include "cli/CliCommands.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Kestrowan"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    return RunCli(app.arguments().mid(1), out, err);
}
