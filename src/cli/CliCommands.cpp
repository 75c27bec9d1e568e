#include "cli/CliCommands.h"

#include "app/clsCatalog.h"
#include "cli/CliCommand.h"

namespace {
QString Usage()
{
    QString text = QStringLiteral("Usage: kestrowan-cli COMMAND PATH [ARGUMENTS]\n\nCommands:\n");
    for (const auto* list : {&CatalogCommands(), &ModelCommands()})
        for (const CliCommand& command : *list)
            text += QStringLiteral("  ") + QString::fromUtf8(command.usage).replace(QLatin1String("\n"), QLatin1String("\n  ")) +
                    QLatin1Char('\n');
    text += QStringLiteral("  --help                  this text\n");
    return text;
}

const CliCommand* Find(const QString& name)
{
    for (const auto* list : {&CatalogCommands(), &ModelCommands()})
        for (const CliCommand& command : *list)
            if (name == QLatin1String(command.name))
                return &command;
    return nullptr;
}
} // namespace

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    CliUserInterface ui(err);
    SetUi(&ui);
    CliContext c{arguments, out, err, ui};
    int result = 0;
    const QString name = arguments.value(0);
    if (name == QLatin1String("--help") || name == QLatin1String("-h") || name == QLatin1String("help")) {
        out << Usage();
        out.flush();
    } else if (const CliCommand* command = Find(name)) {
        if (arguments.size() < command->minimumArguments)
            result = c.Fail(QStringLiteral("Missing arguments for '%1'.\n\n%2").arg(name, Usage()));
        else
            result = command->run(c);
    } else {
        result = c.Fail((name.isEmpty() ? QStringLiteral("No command given.") : QStringLiteral("Unknown command '%1'.").arg(name)) +
                        QStringLiteral("\n\n") + Usage());
    }
    if (Catalog().Loaded())
        Catalog().SetLoaded(false);
    SetUi(nullptr);
    return result;
}
