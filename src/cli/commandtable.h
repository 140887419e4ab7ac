#pragma once

#include "cli/options.h"

#include <QString>

#include <vector>

// What each command of loto6kermon-cli takes, and the usage text made from it.
namespace Cli {

// Every command (tickets once per subcommand, "tickets add" …) in the order
// of the usage text.
const std::vector<CommandSpec> &commandTable();
// The command of that name, or null.
const CommandSpec *findCommand(const QString &name);

// The whole usage (--help).
QString usageText();
// One command's lines of it, with a pointer to the whole.
QString usageText(const CommandSpec &command);

} // namespace Cli
