#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

#include <array>
#include <vector>

// Reading draw results that come from outside: CSV or TSV files in the
// layouts results sites publish, and text pasted from a results page. The
// reader only reads and checks; what becomes of each draw is decided against
// the database (drawimportplan.h).
namespace DrawImport {

// One draw as read, already checked: 回 positive, six distinct main numbers
// and a bonus not among them, all in 1 … 43, a date that exists (or none).
struct ImportedDraw
{
    int line = 0; // where the draw starts in the source, from 1
    int drawNo = 0;
    QDate date; // null when the source gives none
    std::array<int, 7> numbers{}; // 第1数字 … 第6数字 in the source's order, then the bonus
};

// A row or block that cannot be taken, with the reason in Japanese.
struct RowError
{
    int line = 0;
    QString reason;
};

struct ReadResult
{
    enum class Layout { Empty, Csv, Tsv, Text };
    Layout layout = Layout::Empty;
    std::vector<ImportedDraw> draws;
    std::vector<RowError> errors; // in line order
};

// The bytes of a file as text: UTF-8 with or without a byte order mark, or
// CP932 (Shift_JIS as Windows writes it) when the bytes are not UTF-8.
QString decode(const QByteArray &bytes);

// Reads text in any of the layouts: a table with a header line (columns in
// any order, by any of their usual names; other columns ignored), a table
// without one (回, [date,] six numbers, bonus), or pasted text with one draw
// per 第N回 block. A draw number met twice is an error on its second row.
ReadResult read(const QString &text);

inline ReadResult readBytes(const QByteArray &bytes)
{
    return read(decode(bytes));
}

// A date as results pages write it: 2026-12-03, 2026/12/3, 2026年12月3日,
// 令和8年12月3日 (元年 for the first year), 平成30年…; a weekday in
// brackets after it is allowed. A null date when the text is none of these
// or names a day that does not exist.
QDate parseDate(const QString &text);

} // namespace DrawImport
