#pragma once

#include "maintenance/drawimportreader.h"
#include "store/drawrecord.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <vector>

// What an import would do to the draw database, and doing it. The preview
// reads the file as it is now and writes nothing; apply writes every change
// in one transaction after keeping the file as Loto6Kermon.mdb.bak.
namespace DrawImport {

struct PlanEntry
{
    enum class Kind {
        Add,       // 追加: a draw the database does not have
        Identical, // 同一: stored with the same numbers; skipped
        Different, // 相違: stored otherwise; kept unless overwritten
        Error,     // エラー: the row cannot be taken
    };
    Kind kind = Kind::Error;
    int line = 0;
    int drawNo = 0;                      // 0 for an error without a readable 回
    std::optional<ImportedDraw> incoming; // all but errors
    std::optional<DrawRecord> stored;     // identical and different draws
    QString reason;                       // errors
};

// The word the preview shows for a kind: 追加, 同一, 相違, エラー.
QString kindName(PlanEntry::Kind kind);

struct Plan
{
    QString databasePath;
    bool databaseHasDate = false;
    // Draws in ascending 回, then errors in line order.
    std::vector<PlanEntry> entries;
    // The draw numbers missing between the first and the last draw once
    // the new draws are in, as sentences ("第2132回がありません。").
    QStringList gapWarnings;

    int count(PlanEntry::Kind kind) const;
    bool hasErrors() const { return count(PlanEntry::Kind::Error) > 0; }
    // Whether applying with these draws overwritten would write anything.
    bool writesAnything(const std::set<int> &overwrite) const;
};

// Compares what was read with the database at databasePath (opened
// read-only). Throws DatabaseError when the database cannot be read.
Plan preview(const ReadResult &read, const QString &databasePath);

// The numbers of a draw as the preview shows them: "03 11 19 27 33 41 (08)";
// an empty stored field shows as "--".
QString numbersText(const ImportedDraw &draw);
QString numbersText(const DrawRecord &record);

struct ApplyResult
{
    bool ok = false;
    int added = 0;
    int overwritten = 0;
    QString backupPath; // empty when nothing was written
    QString message;    // Japanese, for the user
};

// Adds the new draws and overwrites the different ones whose 回 is in
// overwrite; identical draws and errors are skipped. Nothing to write
// touches nothing. Otherwise the file is first copied to its .bak, then every
// change is made in one transaction: a draw added or changed by someone else
// since the preview, or any failure, rolls all of it back and leaves the
// file as it was.
ApplyResult apply(const Plan &plan, const std::set<int> &overwrite);

// All draws that differ, for an overwrite of every one of them.
std::set<int> differentDraws(const Plan &plan);

} // namespace DrawImport
