#pragma once

#include <QStringList>

namespace Cli {

enum Exit { Success = 0, Failure = 1, Usage = 2 };

bool needsGui(const QString &command);

// Runs one command line (without the program name); output on stdout,
// messages on stderr.
int run(const QStringList &arguments);

} // namespace Cli
