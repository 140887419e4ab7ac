#pragma once

#include "cli/options.h"

#include <QString>
#include <QStringList>

// 縮小ホイール and 絞り込み without a window.
namespace Cli {

// wheel --numbers 1,2,… --if M --match T [--seconds S] [--seed N] [--format json|csv] [--draw N]
int wheel(const Options &options);
// combos [--numbers …] [--sum A-B] [--odd A-B] [--low A-B] [--consecutive A-B]
//        [--last-digit A-B] [--previous A-B] [--groups D:A-B] [--count-only] [--limit N] [--format json|csv]
int combos(const Options &options);
// tickets add --wheel 1,2,… --if M --match T [--draw N] [--count k] [--memo text] [--date D]:
// every line of the wheel into the ledger at ledgerPath, in one transaction.
int addWheelTickets(const Options &options, const QString &ledgerPath);

} // namespace Cli
