#pragma once

#include <QString>

// The command-line side of 当選データ取込 and 当選データ書出し.
namespace Cli {

struct ImportRequest
{
    QString source;   // a file, or "-" for text on standard input
    QString url;      // instead of source: a results page or CSV on the web
    QString database;
    QString ledger;   // where prize amounts are recorded
    bool dryRun = false;
    bool overwrite = false; // overwrite every draw (and prize amount) stored differently
    bool json = false;
};

// Prints the preview (counts, then one line per draw and per error, then gap
// warnings and notes) and applies it unless dryRun. A url is fetched (the
// update's download, at most five redirects) and read as a file or, for an
// HTML page, as its text. Exit 0 when everything
// was applied or there was nothing to do, 1 when nothing was written (a
// refused row in a dry run, an input over the limits, a failed write), 3
// when some rows were written and others refused.
int runImport(const ImportRequest &request);

// Writes every record as CSV to out; encoding "utf-8" (with a byte order
// mark) or "shift_jis". Exit 0, or 1 with the reason on stderr.
int runSaveCsv(const QString &database, const QString &out, const QString &encoding, bool json);

} // namespace Cli
