#include "analysis/builders.h"

#include "store/checked.h"

// 連番飛び石分析: every complete draw twice side by side, once with its
// consecutive pairs (12, 13) highlighted and once with its stepping-stone
// pairs (12, 14); a side without any pair greys its draw-number cell. Pairs
// are looked for between neighbouring fields only, which for draws stored in
// ascending order are exactly the pairs of the draw. The bonus takes no part.

namespace {

constexpr int Columns = 14;
constexpr int BaseColumn = 1;                       // consecutive side
constexpr int SteppingColumn = BaseColumn + 7;      // stepping-stone side
constexpr Colour NoPair = rgb(225, 225, 225);

enum class PairKind { Consecutive, SteppingStone };

void setUpGrid(Sheet &sheet, int lastRow)
{
    sheet.setDimensions(Columns, lastRow, Columns, 51);
    sheet.setRowHeight(-1, 10.0);
    sheet.setColWidth(-1, 4.0);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::cells(BaseColumn, 1, BaseColumn, lastRow), Colours::Red, Colours::LightYellow);
    sheet.setColours(Block::cells(SteppingColumn, 1, SteppingColumn, lastRow), Colours::Red, Colours::LightYellow);
    // No colour is set: the grid's default border colour.
    sheet.setBorder(Block::cells(1, 1, Columns, lastRow), Border::All);
    // Here, before the captions and the fill, which leave the active cell alone.
    sheet.setActiveCell(0, 0);
}

// One framed caption field over each side's six numbers.
void writeCaptionRow(Sheet &sheet, int row)
{
    const Block consecutive = Block::cells(2, row, 7, row);
    const Block stepping = Block::cells(9, row, 14, row);
    sheet.setBorder(consecutive, Border::None);
    sheet.setBorder(consecutive, Border::Outline);
    sheet.setBorder(stepping, Border::None);
    sheet.setBorder(stepping, Border::Outline);
    sheet.setBackColour(consecutive, rgb(255, 200, 255));
    sheet.setBackColour(stepping, Colours::LightPink);

    sheet.setText(BaseColumn, row, QStringLiteral("回数"));
    sheet.setOverflow(true);
    sheet.setAlignment(Block::cell(4, row), HAlign::Left, VAlign::Center);
    sheet.setText(4, row, QStringLiteral("連番(本数字)"));
    sheet.setText(SteppingColumn, row, QStringLiteral("回数"));
    sheet.setAlignment(Block::cell(11, row), HAlign::Left, VAlign::Center);
    sheet.setText(11, row, QStringLiteral("飛び石(本数字)"));
}

// Both cells of a pair, the one at column and its right neighbour.
void markPair(Sheet &sheet, PairKind kind, int column, int row)
{
    const Colour colour = kind == PairKind::Consecutive ? Colours::LightCyan : Colours::LightGreen;
    sheet.setBackColour(Block::cells(column, row, checked::add(column, 1), row), colour);
}

void markNoPair(Sheet &sheet, qint16 count, int column, int row)
{
    if (count == 0)
        sheet.setBackColour(Block::cell(column, row), NoPair);
}

// One side of a draw: its number, its six main numbers, its pairs of the
// given distance; returns how many pairs it found.
qint16 writeSide(Sheet &sheet, const DrawRecord &record, int row, int drawColumn, PairKind kind)
{
    setFieldText(sheet, drawColumn, row, record.drawNo);
    for (int k = 1; k <= 6; ++k)
        setFieldText(sheet, drawColumn + k, row, record.number(k));
    const qint16 distance = kind == PairKind::Consecutive ? 1 : 2;
    qint16 pairs = 0;
    for (int k = 1; k <= 5; ++k) {
        const qint16 a = record.number(k).toInt16();
        const qint16 b = record.number(k + 1).toInt16();
        if (checked::add(a, distance) == b) {
            pairs = checked::add(pairs, 1);
            markPair(sheet, kind, drawColumn + k, row);
        }
    }
    return pairs;
}

void fill(Sheet &sheet, const Recordset &records)
{
    qint16 row = 2;
    for (const DrawRecord &record : records) {
        if (!record.isComplete())
            continue; // takes no row
        const qint16 consecutive = writeSide(sheet, record, row, BaseColumn, PairKind::Consecutive);
        markNoPair(sheet, consecutive, BaseColumn, row);
        const qint16 stepping = writeSide(sheet, record, row, SteppingColumn, PairKind::SteppingStone);
        markNoPair(sheet, stepping, SteppingColumn, row);
        row = checked::add(row, 1);
    }
}

} // namespace

Sheet buildConsecutive(const DrawHistoryStore &store)
{
    const int lastRow = checked::add(store.LastDrawNo, 1);
    Sheet sheet;
    setUpGrid(sheet, lastRow);
    writeCaptionRow(sheet, 1);
    fill(sheet, store.DrawRecordset);
    return sheet;
}
