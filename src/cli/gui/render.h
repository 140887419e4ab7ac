#pragma once

#include "cli/commandsupport.h"

namespace Cli {

// render WINDOW --png OUT | --pdf OUT [--fit-width] [--reflect …]
int render(const Options &options);

} // namespace Cli
