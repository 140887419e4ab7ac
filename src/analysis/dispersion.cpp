#include "analysis/builders.h"

#include "store/checked.h"

// バラツキ分析: one row per complete draw, one column per number, a "●" where
// the draw holds the number, blue-toned for a main number and pink-toned for
// the bonus. Reading down a column shows how evenly a number has come up.

namespace {

constexpr int Columns = 45;       // draw number, 43 numbers, draw number again
constexpr int FirstDrawRow = 3;   // rows 1 and 2 are the title and caption rows
constexpr Colour Frame = Colours::LightBlue;

// Column of number n (1 … 43) is n + 1; the draw number sits at both sides.
int numberColumn(qint16 n)
{
    return checked::add(n, 1);
}

void setUpGrid(Sheet &sheet, int lastRow)
{
    sheet.setDimensions(Columns, lastRow, Columns, 47);
    sheet.setRowHeight(-1, 10.0);
    sheet.setRowHeight(1, 15.0);
    sheet.setRowHeight(2, 15.0);
    sheet.setColWidth(-1, 2.0);
    sheet.setColWidth(1, 5.0);
    sheet.setColWidth(Columns, 5.0);
    sheet.setStaticCentred(Block::all());

    sheet.setBorder(Block::cells(2, 1, 44, 1), Border::Outline, Frame);
    sheet.setBorder(Block::cell(1, 1), Border::Right, Frame);
    sheet.setOverflow(true);
    sheet.setForeColour(Block::cell(22, 1), Colours::Blue);
    sheet.setAlignment(Block::cell(22, 1), HAlign::Center, VAlign::Center);
    sheet.setText(22, 1, QStringLiteral("数　　　　　　　字"));
    sheet.setBackColour(Block::cells(2, 1, 44, 1), Colours::PaleCyan);
    sheet.setColours(Block::cells(1, 1, 1, lastRow), Colours::Red, Colours::LightYellow);
    sheet.setColours(Block::cells(Columns, 1, Columns, lastRow), Colours::Red, Colours::LightYellow);
    sheet.setBorder(Block::cells(-1, 2, -1, lastRow), Border::All, Frame);
    // Here, before the captions and the fill, which leave the active cell alone.
    sheet.setActiveCell(0, 0);
}

// "回", the numbers 1 … 43 and "回" again, blue on pale cyan over the numbers.
void writeCaptionRow(Sheet &sheet, int row)
{
    sheet.setText(1, row, QStringLiteral("回"));
    for (qint16 n = 1; n <= 43; ++n)
        sheet.setText(numberColumn(n), row, n);
    sheet.setText(Columns, row, QStringLiteral("回"));
    sheet.setColours(Block::cells(2, row, 44, row), Colours::Blue, Colours::PaleCyan);
}

void fill(Sheet &sheet, const Recordset &records)
{
    qint16 row = FirstDrawRow;
    for (const DrawRecord &record : records) {
        if (!record.isComplete())
            continue; // takes no row
        setFieldText(sheet, 1, row, record.drawNo);
        setFieldText(sheet, Columns, row, record.drawNo);
        int column[7];
        for (int p = 1; p <= 7; ++p) {
            column[p - 1] = numberColumn(record.number(p).toInt16());
            sheet.setText(column[p - 1], row, QStringLiteral("●"));
        }
        for (int p = 0; p < 6; ++p)
            sheet.setForeColour(Block::cell(column[p], row), Colours::MainDot);
        // Last, so a bonus equal to a main number shows in the bonus colour.
        sheet.setForeColour(Block::cell(column[6], row), Colours::BonusDot);
        row = checked::add(row, 1);
    }
}

} // namespace

Sheet buildDispersion(const DrawHistoryStore &store)
{
    const int lastRow = checked::add(store.LastDrawNo, 2 + 1);
    Sheet sheet;
    setUpGrid(sheet, lastRow);
    if (store.LastDrawNo >= 1) {
        writeCaptionRow(sheet, 2);
        // The table's last row, formatted as a table row and otherwise empty,
        // closes the chart with the captions again, so a long chart can be read
        // at its bottom too. It never lies on a draw row.
        writeCaptionRow(sheet, lastRow);
    }
    fill(sheet, store.DrawRecordset);
    return sheet;
}
