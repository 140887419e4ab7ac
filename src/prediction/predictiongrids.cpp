#include "prediction/predictiongrids.h"

#include <array>

namespace PredictionGrids {

QString caption(int k)
{
    static const std::array<QString, 4> captions{
        QStringLiteral("●周期法による予想"),
        QStringLiteral("●消去法による予想(この予想数字を組合わせて購入します)"),
        QStringLiteral("●連発ケルモン予想(この予想数字を組合わせて購入します)"),
        QStringLiteral("●一発ケルモン予想"),
    };
    return captions[size_t(k)];
}

int rowCount(int k)
{
    return 5 - k;
}

void setUpGrid(Sheet &sheet, int k)
{
    const int rows = rowCount(k);
    sheet.setDimensions(7, rows, 7, rows);
    // The grids are small enough to be seen whole.
    sheet.setScrollBars(ScrollBars::None);
    sheet.setFrozenRows(0);
    sheet.setFrozenCols(0);

    sheet.setRowHeight(-1, 10.0);
    sheet.setColWidth(-1, 5.0);
    sheet.setColWidth(1, 8.0);
    sheet.setStaticCentred(Block::all());

    // The cycle grid reads as four lines, the others as boxes.
    sheet.setBorder(Block::cells(1, 1, 7, rows), k == 0 ? Border::Top | Border::Bottom : Border::All);
    switch (k) {
    case 0:
        sheet.setBorder(Block::cells(1, 1, 1, 5), Border::Right);
        sheet.setText(1, 2, QStringLiteral(" 7回周期法"));
        sheet.setText(1, 3, QStringLiteral(" 9回周期法"));
        sheet.setText(1, 4, QStringLiteral("11回周期法"));
        sheet.setText(1, 5, QStringLiteral("12回周期法"));
        break;
    case 1:
        sheet.setText(1, 3, QStringLiteral("消去法"));
        break;
    case 2:
        sheet.setText(1, 2, QStringLiteral("連発予想"));
        break;
    default:
        sheet.setText(1, 2, QStringLiteral("１発予想"));
        break;
    }
    sheet.setActiveCell(0, 0);
}

void setUpHeader(Sheet &sheet, int k)
{
    sheet.setBorder(Block::cells(2, 1, 7, 1), Border::None);
    // Column 1 of the elimination and multi-shot grids is one tall caption cell.
    if (k == 1)
        sheet.setBorder(Block::cells(1, 2, 1, 4), Border::None);
    else if (k == 2)
        sheet.setBorder(Block::cells(1, 2, 1, 3), Border::None);

    sheet.setOverflow(true);
    sheet.setAlignment(Block::cell(2, 1), HAlign::Left, VAlign::Center);
    sheet.setText(2, 1, QStringLiteral("                         本 数 字                          "));
    sheet.setColours(Block::cells(1, 1, 7, 1), Colours::Blue, Colours::LightPink);
}

} // namespace PredictionGrids
