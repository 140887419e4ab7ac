#pragma once

#include <QStringList>

namespace Cli {

// loto6kermon-cli tickets add|list|check|import|export|prize [--ledger FILE] [--db FILE] …
// arguments start after the word "tickets".
int tickets(const QStringList &arguments);

} // namespace Cli
