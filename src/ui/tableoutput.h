#pragma once

#include "store/globalbas.h"
#include "ui/sheet.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// A table leaving the program: as a CSV file, as text with its captions, and
// the facts a printed page states about it.
namespace TableOutput {

enum class Encoding {
    Utf8Bom,  // UTF-8 with a byte-order mark, so spreadsheets read it as UTF-8
    ShiftJis, // what older Japanese spreadsheets expect
};

// The CSV text as file bytes; nothing when a character has no Shift_JIS form.
std::optional<QByteArray> encode(const QString &csv, Encoding encoding);
// File bytes back to text: UTF-8 when they start with its byte-order mark,
// Shift_JIS otherwise.
QString decode(const QByteArray &bytes);
// CSV text as rows of fields (quoted fields may hold commas, quotes, newlines).
std::vector<QStringList> parseCsv(const QString &text);

// The row whose text in `column` is drawNo, among the rows below the frozen
// ones; 0 when there is none.
int rowOfDraw(const Sheet &sheet, int column, int drawNo);
// The smallest and largest draw numbers in `column` below the frozen rows;
// (0, 0) when there is none.
std::pair<int, int> drawsIn(const Sheet &sheet, int column);

// The caption rows and columns of a table, which a printed page repeats and a
// copy with captions adds: the frozen ones, and in a table whose rows are
// draws (their numbers in drawColumn) also every row above the first draw and
// the columns up to the draw number's.
struct Captions
{
    int rows = 0;
    int cols = 0;
};
Captions captions(const Sheet &sheet, int drawColumn = 0);

// The block's texts with the caption rows above them and the caption columns
// before them, tab-separated, each row ended by a newline; bonus dots as
// SheetExport::BonusMark.
QString textWithCaptions(const Sheet &sheet, Block block, Captions captions);

// "第1回〜第N回": the first and last complete draws of the history; empty for
// a history without one.
QString drawRange(const DrawHistoryStore &store);
QString drawRange(int first, int last);

} // namespace TableOutput
