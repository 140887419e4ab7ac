#pragma once

#include "maintenance/drawimportreader.h"
#include "store/drawrecord.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <vector>

// What an import would do to the draw database and to the prize amounts of
// the ticket ledger, and doing it. The preview reads both files as they are
// now and writes nothing; apply writes every draw and their prize amounts in
// one transaction after keeping the file as Loto6Kermon.mdb.bak.
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
    QStringList differences;              // 相違: "本数字", "ボーナス数字", "日付"
    // The ledger's amounts of 1等 … 4等 for this draw, and whether one the
    // source gives differs from them (kept unless overwritten).
    std::array<std::optional<qint64>, 4> storedPrizes;
    bool prizeDiffers = false;
    QStringList notes; // what the preview should say besides: reordered numbers, a date without its year

    // Whether the user may choose to overwrite what is stored.
    bool overwritable() const { return kind == Kind::Different || (kind != Kind::Error && prizeDiffers); }
};

// The word the preview shows for a kind: 追加, 同一, 相違, エラー.
QString kindName(PlanEntry::Kind kind);

struct Plan
{
    QString databasePath;
    QString ledgerPath; // empty: prize amounts are not recorded
    bool databaseHasDate = false;
    // Draws in ascending 回, then errors in line order.
    std::vector<PlanEntry> entries;
    // The draw numbers missing between the first and the last draw once
    // the new draws are in, as sentences ("第2132回がありません。").
    QStringList gapWarnings;
    // Rows and blocks the reader left out on purpose, and what else the
    // user should know (a ledger that cannot take the prize amounts).
    QStringList notes;
    int leftOut = 0; // rows and blocks the reader left out

    int count(PlanEntry::Kind kind) const;
    bool hasErrors() const { return count(PlanEntry::Kind::Error) > 0; }
    // Whether applying with these draws overwritten would write anything.
    bool writesAnything(const std::set<int> &overwrite) const;
};

// Compares what was read with the database at databasePath (opened
// read-only) and, when ledgerPath is given, with the prize amounts of that
// ledger (read without creating it). Dates without a year take it from the
// stored draws where the source alone does not tell. Throws DatabaseError
// when a file cannot be read.
Plan preview(const ReadResult &read, const QString &databasePath, const QString &ledgerPath = {});

// The numbers of a draw as the preview shows them: "03 11 19 27 33 41 (08)";
// an empty stored field shows as "--".
QString numbersText(const ImportedDraw &draw);
QString numbersText(const DrawRecord &record);
// A draw's prize table as the preview shows it: "1等 該当なし、2等 6口 10,234,500円、…"
// (tiers joined by separator); empty when the source gives none.
QString prizesText(const ImportedDraw &draw, const QString &separator = QStringLiteral("、"));
// An entry's notes and differences in one line for the preview.
QString entryNote(const PlanEntry &entry);

struct ApplyResult
{
    bool ok = false; // all that was to be written is written; otherwise nothing is
    int added = 0;
    int overwritten = 0;
    int identical = 0;
    int skipped = 0; // 相違 kept as stored, rows left out
    int errors = 0;
    int prizes = 0; // amounts recorded in the ledger
    QString backupPath; // empty when the database was not written
    QString message;    // Japanese, for the user

    bool wroteAnything() const { return added + overwritten + prizes > 0; }
};

// Adds the new draws and overwrites the different ones whose 回 is in
// overwrite; identical draws and errors are skipped. The prize amounts of
// the draws taken go to the ledger: amounts missing there are added,
// different ones replaced only for the draws in overwrite. Nothing to write
// touches nothing. Otherwise the file is first copied to its .bak, then
// every draw and every amount is written in one transaction across the two
// files: a draw added or changed by someone else since the preview, a ledger
// that cannot take the amounts, any failure or a kill leaves both files as
// they were.
ApplyResult apply(const Plan &plan, const std::set<int> &overwrite);

// Every draw the user could overwrite, for an overwrite of all of them.
std::set<int> overwritableDraws(const Plan &plan);

} // namespace DrawImport
