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

// What became of one change the user asked for.
struct EditResult
{
    enum class Status {
        Written,   // the database holds the change
        Unchanged, // nothing to write: the record already holds that value
        Kept,      // the text is wrong for a number cell: shown, never written
        Refused,   // the change cannot be made; nothing changed; message says why
        Failed,    // the database refused the write; nothing changed; message says why
    };
    Status status = Status::Unchanged;
    QString message;

    bool changedDatabase() const { return status == Status::Written; }
};

// The records behind the draw results editor, on a connection of its own.
// Every change is written at once, each in its own transaction; a change the
// database refuses leaves both the file and the records here as they were.
// Optimistic locking: a record that was changed or removed behind our back
// since it was read is not overwritten.
class DrawRecordEditor
{
public:
    static constexpr int ColumnCount = 8;

    // Opens the database the connection string names for writing and reads
    // every record, ascending 回数. Throws DatabaseError.
    static DrawRecordEditor open(const QString &connectString);
    // Reads every record through db (which the editor keeps). Throws DatabaseError.
    explicit DrawRecordEditor(Database db);

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    const DrawRecord &record(int row) const;
    static bool isEditable(int column) { return column >= 2 && column <= ColumnCount; }

    // The text the grid shows: the stored value, or the wrong text the user
    // typed into a number cell and that was kept off the database.
    QString text(int column, int row) const;

    // The user committed text to a number cell. An empty cell stores Null,
    // a whole number 1 … 43 stores that number, anything else is Kept.
    EditResult setText(int column, int row, const QString &text);

    // A new, empty record after row (0 = before the first row) with the next
    // draw number, 回数 of that row + 1 (1 when row is 0), when that number
    // is free. On success the new record is row + 1. aboutToChange runs once
    // the file holds the change and before the rows here change (a view's
    // model announces the row there).
    EditResult insertAfter(int row, const std::function<void()> &aboutToChange = {});

    // Removes the record of that row; aboutToChange as above.
    EditResult deleteRow(int row, const std::function<void()> &aboutToChange = {});

    // The first cell the close check refuses, rows in ascending order and
    // within a row columns 2 … 8; nothing when every number cell is right.
    std::optional<CellAddress> firstWrongCell() const;

    // The cells whose typed text was kept off the database (Kept), in the
    // order of the close check: they are lost when the window closes.
    std::vector<CellAddress> keptCells() const;

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

    Database m_db;
    std::vector<Row> m_rows;
};
