#pragma once

#include <QStringList>

namespace Cli {

enum Exit { Success = 0, Failure = 1, Usage = 2 };

// The draw database the program itself uses (made first for an installed
// program's first start); throws DatabaseError when it cannot be made.
QString programDatabase();

// Runs one command line (without the program name); output on stdout,
// messages on stderr.
int run(const QStringList &arguments);

} // namespace Cli
