#include "analysis/lastdigitgrid.h"

#include "store/checked.h"

namespace LastDigitGrid {

QString title()
{
    return QString(43, QLatin1Char(' ')) + QStringLiteral("下一桁数字") + QString(27, QLatin1Char(' '))
        + QString(3, QChar(0x3000)) + QString(18, QLatin1Char(' '));
}

void setUp(Sheet &sheet, int lastDrawNo, bool numberRows)
{
    const int rows = checked::add(lastDrawNo, 4);
    // 29 columns shown at once, more than the grid has, so all eleven show.
    sheet.setDimensions(Columns, rows, 29, 52);
    sheet.setScrollBars(ScrollBars::Vertical);
    sheet.setFrozenRows(2);
    sheet.setRowHeight(-1, 10.0);
    sheet.setColWidth(-1, 5.0);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::cells(1, 1, 1, rows), Colours::Red, Colours::LightYellow);
    if (numberRows) {
        for (int k = 1; k <= lastDrawNo; ++k)
            sheet.setText(1, k + 2, k);
    }
    sheet.setBorder(Block::cells(1, 2, Columns, rows), Border::All);
    sheet.setActiveCell(0, 0);
}

void captionPair(Sheet &sheet, int firstRow, bool top, Column1Outline outline)
{
    const int titleRow = top ? firstRow : firstRow + 1;
    const int digitRow = top ? firstRow + 1 : firstRow;
    sheet.setColours(Block::cells(2, firstRow, Columns, firstRow + 1), Colours::Blue, Colours::LightPink);
    sheet.setBorder(Block::cell(1, outline == Column1Outline::TitleRow ? titleRow : firstRow), Border::Outline);
    // The ten title cells read as one cell holding the overflowing title.
    sheet.setBorder(Block::cells(2, titleRow, Columns, titleRow), Border::None);
    sheet.setBorder(Block::cells(2, titleRow, Columns, titleRow), Border::Outline);
    sheet.setText(1, titleRow, QStringLiteral("回数"));
    sheet.setOverflow(true);
    sheet.setVAlign(Block::cell(2, titleRow), VAlign::Center);
    sheet.setHAlign(Block::cell(2, titleRow), HAlign::Left);
    sheet.setText(2, titleRow, title());
    sheet.setRowHeight(titleRow, 20.0);
    for (int k = 0; k <= 9; ++k)
        sheet.setText(k + 2, digitRow, k);
}

} // namespace LastDigitGrid
