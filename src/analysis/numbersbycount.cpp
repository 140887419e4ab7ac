#include "analysis/builders.h"

// 回数別出現分析: the numbers 1 … 43 grouped by their appearance total, one row
// per total that occurs, ascending. Everything comes ready-made from the store.
Sheet buildNumbersByCount(const DrawHistoryStore &store)
{
    const int last = store.TotalGroupRows;

    Sheet sheet;
    sheet.setDimensions(2, last, 2, last);
    sheet.setScrollBars(ScrollBars::Horizontal);
    sheet.setFrozenRows(0);
    sheet.setFrozenCols(0);
    sheet.setRowHeight(-1, 10.0);
    sheet.setColWidth(-1, 5.0);
    sheet.setColWidth(1, 5.0);
    sheet.setColWidth(2, 20.0);
    sheet.setBorder(Block::all(), Border::All);
    sheet.setStaticCentred(Block::all());
    sheet.setActiveCell(0, 0);

    sheet.setBackColour(Block::cells(1, 2, 1, last), Colours::LightYellow);
    sheet.setBackColour(Block::cell(1, 1), Colours::LightPink);
    sheet.setBackColour(Block::cell(2, 1), Colours::LightPink);
    sheet.setForeColour(Block::cells(2, 2, 2, last), Colours::Blue);
    sheet.setHAlign(Block::cells(2, 2, 2, last), HAlign::Left);
    sheet.setOverflow(true);
    sheet.setText(1, 1, QStringLiteral("出 現"));
    sheet.setText(2, 1, QStringLiteral("数 字"));

    // An empty history has no groups at all, not even the one for total 0.
    int row = 1;
    for (int k = 0; k <= store.MaxTotal && k < store.TotalGroups.size(); ++k) {
        const QString &group = store.TotalGroups[k];
        if (group.isEmpty())
            continue;
        ++row;
        sheet.setText(1, row, QString::number(k) + QStringLiteral("回"));
        sheet.setText(2, row, group);
    }
    return sheet;
}
