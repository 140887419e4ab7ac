#pragma once

#include <QStringList>

// The commands of loto6kermon-cli (what they share is in commandsupport.h).
namespace Cli {

// Runs one command line (without the program name); output on stdout,
// messages on stderr. Standard output is closed at the end (see finish in
// commandsupport.h).
int run(const QStringList &arguments);

} // namespace Cli
