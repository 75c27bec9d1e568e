#pragma once
#include "cli/CliCommands.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

// Runs one kestrowan-cli command in-process and keeps what it printed.
struct CliRun {
    int code = 0;
    QString out;
    QString err;
};

inline CliRun RunCliCommand(const QStringList& args)
{
    CliRun run;
    QTextStream outStream(&run.out), errStream(&run.err);
    run.code = RunCli(args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return run;
}
