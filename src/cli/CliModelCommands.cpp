#include "cli/CliCommand.h"

const std::vector<CliCommand>& ModelCommands()
{
    static const std::vector<CliCommand> commands = {};
    return commands;
}
