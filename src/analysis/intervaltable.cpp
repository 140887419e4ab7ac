#include "analysis/intervaltable.h"
#include "analysis/builders.h"

#include "store/checked.h"

namespace IntervalTable {
namespace {

void setUpGrid(Sheet &sheet, qint16 lastDrawNo, int extraRows)
{
    const int last = checked::add(checked::add(lastDrawNo, extraRows), 2);
    sheet.setDimensions(15, last, 15, 52);
    sheet.setRowHeight(-1, 10.0);
    sheet.setRowHeight(1, 15.0);
    sheet.setRowHeight(2, 12.0);
    sheet.setColWidth(-1, 5.0);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::cells(1, 1, 1, last), Colours::Red, Colours::LightYellow);
    for (int k = 1; k <= 7; ++k)
        sheet.setBackColour(Block::cells(2 * k, 3, 2 * k, last), Colours::LightCyan);
    sheet.setBorder(Block::cells(1, 1, 15, last), Border::All);
    sheet.setActiveCell(0, 0);
}

// A caption pair from row r: the band row holds the two band captions, the
// title row the column titles. At the top the band comes first; at the foot
// (the mirror) the title row comes first.
void writeCaptionRows(Sheet &sheet, int r, bool foot, const Captions &captions)
{
    const int band = r + (foot ? 1 : 0);
    const int title = r + 1 - (foot ? 1 : 0);

    sheet.setBorder(Block::cells(2, band, 14, band), Border::None);
    sheet.setBorder(Block::cells(2, band, 14, band), Border::Outline);
    sheet.setBorder(Block::cells(14, band, 15, band), Border::None);
    sheet.setBorder(Block::cells(14, band, 15, band), Border::Outline);
    sheet.setBorder(Block::cell(14, band), Border::Left);
    sheet.setBorder(Block::cell(15, band), Border::Right);
    sheet.setColours(Block::cells(2, r, 15, r + 1), Colours::Black, Colours::LightPink);

    sheet.setOverflow(true);
    sheet.setAlignment(Block::cell(7, band), HAlign::Left, VAlign::Center);
    sheet.setText(7, band, captions.band);
    sheet.setAlignment(Block::cell(14, band), HAlign::Left, VAlign::Center);
    sheet.setText(14, band, captions.bonusBand);

    sheet.setText(1, title, QStringLiteral("回数"));
    for (int k = 1; k <= 6; ++k)
        sheet.setText(2 * k, title, QStringLiteral("第%1数字").arg(k));
    sheet.setText(14, title, QStringLiteral("ボ数字"));
    for (int col = 3; col <= 15; col += 2)
        sheet.setText(col, title, captions.result);
}

} // namespace

Sheet layout(qint16 lastDrawNo, const Captions &captions)
{
    constexpr int extraRows = 2; // the foot caption pair
    Sheet sheet;
    setUpGrid(sheet, lastDrawNo, extraRows);
    writeCaptionRows(sheet, 1, false, captions);
    writeCaptionRows(sheet, checked::add(lastDrawNo, 3), true, captions);
    return sheet;
}

void writeDraw(Sheet &sheet, int row, const DrawRecord &record)
{
    setFieldText(sheet, 1, row, record.drawNo);
    for (int p = 1; p <= 7; ++p)
        setFieldText(sheet, 2 * p, row, record.number(p));
}

} // namespace IntervalTable
