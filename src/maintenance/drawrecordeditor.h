#pragma once

#include "store/database.h"
#include "store/drawrecord.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// A cell of the editor's grid: column 1 is 回数, columns 2 … 8 are
// 第1数字 … 第6数字 and ボーナス数字; rows count from 1.
struct CellAddress
{
    int column = 0;
    int row = 0;
    bool operator==(const CellAddress &) const = default;
};

// A number cell that cannot be saved as it reads, or that is not saved yet,
// and why.
struct CellProblem
{
    CellAddress cell;
    QString text;   // what the cell shows
    QString reason; // "1～43の整数ではありません", "第2数字と同じ数字です"
    bool kept = false; // typed and kept off the database (not just read wrong)
};

// What became of one change the user asked for.
struct EditResult
{
    enum class Status {
        Written,   // the database holds the change
        Unchanged, // nothing to write: the record already holds that value
        Kept,      // the text is wrong for a number cell, repeats another
                   // number of its draw, or empties a whole draw: shown,
                   // never written
        Pending,   // a right number in a draw whose seven numbers are not
                   // all there yet: shown, written with the draw once it is
                   // whole
        Refused,   // the change cannot be made; nothing changed; message says why
        Failed,    // the database refused the write; nothing changed; message says why
    };
    Status status = Status::Unchanged;
    QString message;

    bool changedDatabase() const { return status == Status::Written; }
};

// The records behind the draw results editor, on a connection of its own.
// A draw is written whole: the numbers typed into a row go to the file, in
// one transaction, once the row shows seven different numbers 1 … 43, the
// six main numbers in ascending order as every stored draw has them. Until
// then they are kept here, shown and listed as not saved; a half-typed draw
// never reaches the file. A change the database refuses leaves both the file
// and the records here as they were. Optimistic locking: a record that was
// changed or removed behind our back since it was read is not overwritten.
class DrawRecordEditor
{
public:
    static constexpr int ColumnCount = 8;

    // Opens the draw database at path for writing and reads every record,
    // ascending 回数. Throws DatabaseError.
    static DrawRecordEditor open(const QString &path);
    // Reads every record through db (which the editor keeps). Throws DatabaseError.
    explicit DrawRecordEditor(Database db);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const DrawRecord &record(int row) const;
    static bool isEditable(int column) { return column >= 2 && column <= ColumnCount; }

    // The text the grid shows: the stored value, or the wrong text the user
    // typed into a number cell and that was kept off the database.
    QString text(int column, int row) const;

    // The user committed text to a number cell: empty, or a whole number
    // 1 … 43. Text that is neither, a number the draw already shows in
    // another cell (a draw holds seven different numbers), and an emptied
    // cell of a whole draw are Kept; a right number is Pending until the
    // row shows a whole draw, which is then written (so two numbers can
    // swap, and typing them in any order stores them ascending).
    EditResult setText(int column, int row, const QString &text);

    // Why that number cell cannot be saved as it reads; nothing when it can
    // (a Pending number is no fault).
    std::optional<CellProblem> problem(int column, int row) const;
    // True when the cell shows a typed value that is not in the file.
    bool isUnsaved(int column, int row) const;

    // Why no row can be added after that row, or nothing when one can.
    std::optional<QString> insertRefusal(int row) const;

    // A new, empty record after row (0 = before the first row) with the next
    // draw number, 回数 of that row + 1 (1 when row is 0), when that number
    // is free and at most DrawRecord::MaxDrawNumber. On success the new
    // record is row + 1. aboutToChange runs once the file holds the change
    // and before the rows here change (a view's model announces the row there).
    EditResult insertAfter(int row, const std::function<void()> &aboutToChange = {});

    // Removes the record of that row; aboutToChange as above.
    EditResult deleteRow(int row, const std::function<void()> &aboutToChange = {});

    // The first cell the close check refuses, rows in ascending order and
    // within a row columns 2 … 8; nothing when every number cell is right.
    std::optional<CellAddress> firstWrongCell() const;
    // Every cell the close check refuses, in that order.
    std::vector<CellProblem> wrongCells() const;

    // The cells whose typed text is not in the database (Kept or Pending),
    // in the order of the close check, each with why: they are lost when
    // the window closes.
    std::vector<CellProblem> keptCells() const;

    const Database &database() const { return m_db; }

private:
    struct Row
    {
        DrawRecord record;
        std::array<std::optional<QString>, 7> kept; // wrong text per position 1 … 7
    };
    const Row &rowAt(int row) const;
    Row &rowAt(int row);
    bool drawNoTaken(long long drawNo) const;
    // The numbers the row shows, position 1 … 7 at index 0 … 6: its typed
    // text where kept, else the stored value; nothing where that is empty or
    // not a number 1 … 43.
    static std::array<std::optional<int>, 7> shownNumbers(const Row &r);
    // The row as a whole draw, main numbers ascending, bonus last: seven
    // different numbers 1 … 43 shown; nothing otherwise.
    static std::optional<std::array<int, 7>> wholeDraw(const Row &r);
    std::optional<CellProblem> problemAt(const Row &r, int row, int position) const;
    EditResult write(Row &r, const std::array<int, 7> &draw);

    Database m_db;
    std::vector<Row> m_rows;
};
