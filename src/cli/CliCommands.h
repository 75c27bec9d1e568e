#pragma once
#include <QStringList>
#include <QTextStream>

// Runs one kestrowan-cli command (arguments without the program name). Returns the exit code: 0 on
// success, 1 with a message on standard error otherwise.
int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err);
