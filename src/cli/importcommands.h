#pragma once

#include <QString>

// The command-line side of 当選データ取込 and 当選データ書出し.
namespace Cli {

struct ImportRequest
{
    QString source;   // a file, or "-" for text on standard input
    QString database;
    bool dryRun = false;
    bool overwrite = false; // overwrite every draw stored differently
    bool json = false;
};

// Prints the preview (counts, then one line per draw and per error, then gap
// warnings) and applies it unless dryRun. Exit 0 when applied or nothing to
// do, 1 when a row was refused or the import failed.
int runImport(const ImportRequest &request);

// Writes every record as CSV to out; encoding "utf-8" (with a byte order
// mark) or "shift_jis". Exit 0, or 1 with the reason on stderr.
int runSaveCsv(const QString &database, const QString &out, const QString &encoding, bool json);

} // namespace Cli
