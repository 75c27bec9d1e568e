#pragma once
#include "cli/CliUserInterface.h"
#include "platform/Database.h"

#include <QStringList>
#include <QTextStream>

#include <vector>

// What a command gets: its arguments (the command name first), the two output streams and the user
// interface that reports to standard error.
struct CliContext {
    QStringList args;
    QTextStream& out;
    QTextStream& err;
    CliUserInterface& ui;

    // Prints the message on standard error and gives the failing exit code.
    int Fail(const QString& message);
    // Opens the catalog as the program does (upgrade, settings row, password); false after saying why.
    bool OpenCatalog(const QString& path);
    // Prints the header and one tab-separated line per row; 1 when reading a row failed.
    int PrintRows(Recordset& rows, const QStringList& header);
};

struct CliCommand {
    const char* name;
    int minimumArguments; // counting the command name
    int (*run)(CliContext&);
    const char* usage;    // one or more lines for --help
};

// The commands on files, schema and SQL.
const std::vector<CliCommand>& CatalogCommands();
// The commands on categories, columns, subjects and queries.
const std::vector<CliCommand>& ModelCommands();
