#pragma once

// What the commands of loto6kermon-cli and its drawing helper share: output,
// the command line, the database asked for and the windows named.
#include "cli/commandtable.h"
#include "cli/options.h"

#include "analysis/catalog.h"
#include "prediction/predictionengine.h"
#include "store/globalbas.h"

#include <QString>

#include <optional>

namespace Cli {

// 0: done (or nothing to do); 1: failed, nothing written; 2: a usage error;
// 3: an import wrote some rows and refused others.
enum Exit { Success = 0, Failure = 1, Usage = 2, Partial = 3 };

void out(const QString &text);
void err(const QString &text); // with a line break
// The last step of a run: flushes and closes stdout and turns the status of
// a command that succeeded into Failure, with a message on stderr, when any
// of its output could not be written. Nothing may be printed after it.
int finish(int status);
// The problem (if any) and the usage text on stderr, only that command's
// when one is given; returns Exit::Usage.
int usage(const QString &problem, const CommandSpec *command = nullptr);
// The usage text on stdout, as asked for; returns Exit::Success.
int help();

// The draw database the program itself uses (made first for an installed
// program's first start); throws DatabaseError when it cannot be made.
QString programDatabase();
// --db, or the program's own database (made only when it is the one asked for).
QString databasePath(const Options &options);
DrawHistoryStore loadStore(const Options &options);

// The one window named on the command line (an analysis window); throws
// UsageError when there is none such.
const AnalysisWindow &windowArgument(const Options &options);
bool isPrediction(const Options &options);
// --reflect: the reflected analyses by index (0 … 11); throws UsageError.
ReflectFlags reflectOption(const Options &options);
// The prediction window's engine for --reflect; the options file is not read.
PredictionEngine predictionEngine(const Options &options);

} // namespace Cli
