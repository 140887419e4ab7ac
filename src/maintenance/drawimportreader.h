#pragma once

#include "maintenance/drawdate.h"
#include "maintenance/importeddraw.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

// Reading draw results that come from outside: CSV or TSV files in the
// layouts results sites and spreadsheets use, and text pasted from a results
// page. The reader is a function of the text alone (no file, no database):
// it only reads and checks; what becomes of each draw is decided against the
// database (drawimportplan.h).
//
// A number is taken as a drawn number only where the layout puts drawn
// numbers: in a table, the columns its header names; in pasted text, the
// numbers left once every labelled field (draw numbers, dates, product names,
// prize lines, amounts, set balls) is taken out, in the sections the labels
// 本数字 and ボーナス数字 open. Whatever does not come out as exactly six main
// numbers and one bonus is an error, never trimmed, padded or guessed.
namespace DrawImport {

struct ReadResult
{
    enum class Layout { Empty, Csv, Tsv, Text };
    Layout layout = Layout::Empty;
    std::vector<ImportedDraw> draws; // in the source's order
    std::vector<RowError> errors;    // in line order
    // Blocks and rows left out on purpose (a notice of the next draw, a row
    // without numbers), as sentences for the user.
    std::vector<QString> notes;
};

// Reading stops after this many errors: a file that is no draw file at all
// is said so in a screenful, not in a million lines.
inline constexpr int MaxErrors = 1000;

// The bytes of a file as text: UTF-8 with or without a byte order mark,
// UTF-16 with one, or CP932 (Shift_JIS as Windows writes it) when the bytes
// are not UTF-8.
QString decode(const QByteArray &bytes);

// The lines of a file's bytes (ended by LF, CR LF or CR), decoded as decode
// does, a part at a time: a large file is never held twice.
void forEachLine(const QByteArray &bytes, const std::function<void(QStringView line)> &take);

// Reads text in any of the layouts: a table with a header line (columns in
// any order, by any of their usual names, the six main numbers in six
// columns, in one, or under one merged 本数字 cell over a second header
// line; other columns ignored but the prize columns), a table without one
// (回, [date,] six numbers, bonus), or pasted text with one draw per block
// that starts at a line whose first words are 第N回. A draw number met twice
// is an error on its second row. Dates without a year take it from the
// draws around them in the text.
ReadResult read(const QString &text);
// The same for a file's bytes, decoded a part at a time: a large file is
// never held twice.
ReadResult readBytes(const QByteArray &bytes);

// Gives each draw whose date has no year its year: that of the same draw in
// known (dated draws by 回, e.g. from the database) when it is the same day,
// or else the one that puts it after the nearest earlier dated draw (lacking
// one, before the nearest later one) among the draws themselves and known,
// when that draw is close enough for the year to be certain.
void resolveYears(std::vector<ImportedDraw> &draws, const std::map<int, QDate> &known);

} // namespace DrawImport
