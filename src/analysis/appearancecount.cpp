#include "analysis/builders.h"

#include "store/checked.h"

// 出現回数分析: every complete draw with, beside each of its seven numbers, how
// often that number had been drawn in the earlier complete draws (main and
// bonus appearances counted alike).
Sheet buildAppearanceCount(const DrawHistoryStore &store)
{
    const int last = checked::add(store.LastDrawNo, 2);

    Sheet sheet;
    sheet.setDimensions(15, last, 15, 52);
    sheet.setScrollBars(ScrollBars::Vertical);
    sheet.setFrozenRows(2);
    sheet.setRowHeight(-1, 10.0);
    sheet.setRowHeight(1, 15.0);
    sheet.setRowHeight(2, 12.0);
    sheet.setColWidth(-1, 5.0);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::cells(1, 1, 1, last), Colours::Red, Colours::LightYellow);
    sheet.setBorder(Block::cells(1, 1, 15, last), Border::All);

    // Two caption bands, each closed on its right only, so it reads as one
    // band over its seven columns.
    sheet.setColours(Block::cells(2, 1, 8, 2), Colours::Blue, Colours::LightCyan);
    sheet.setColours(Block::cells(9, 1, 15, 2), Colours::Red, Colours::LightGreen);
    sheet.setBorder(Block::cells(2, 1, 8, 1), Border::None);
    sheet.setBorder(Block::cell(8, 1), Border::Right);
    sheet.setBorder(Block::cells(9, 1, 15, 1), Border::None);
    sheet.setBorder(Block::cell(15, 1), Border::Right);
    sheet.setRowHeight(1, 20.0);
    sheet.setOverflow(true);
    sheet.setHAlign(Block::cell(4, 1), HAlign::Left);
    sheet.setText(4, 1, QStringLiteral("       当 選 数 字"));
    sheet.setHAlign(Block::cell(12, 1), HAlign::Left);
    sheet.setText(12, 1, QStringLiteral("前回までの出現回数合計(回)"));
    sheet.setHAlign(Block::cell(12, 1), HAlign::Center);
    sheet.setText(1, 2, QStringLiteral("回数"));
    for (int k = 1; k <= 6; ++k) {
        const QString caption = QStringLiteral("第%1数字").arg(k);
        sheet.setText(1 + k, 2, caption);
        sheet.setText(8 + k, 2, caption);
    }
    sheet.setText(8, 2, QStringLiteral("ボ数字"));
    sheet.setText(15, 2, QStringLiteral("ボ数字"));

    checked::BoundedTable<qint16> runningTotal(0, 99999, 0);
    qint16 row = 3;
    for (const DrawRecord &record : store.DrawRecordset) {
        if (!record.isComplete())
            continue;
        setFieldText(sheet, 1, row, record.drawNo);
        for (int p = 1; p <= 7; ++p)
            setFieldText(sheet, 1 + p, row, record.number(p));
        // All seven totals are read before any grows: each counts earlier draws only.
        qint16 v[7];
        for (int p = 1; p <= 7; ++p) {
            v[p - 1] = record.number(p).toInt16();
            sheet.setText(8 + p, row, runningTotal[v[p - 1]]);
        }
        for (qint16 number : v)
            runningTotal[number] = checked::add(runningTotal[number], 1);
        row = checked::add(row, 1);
    }
    sheet.setActiveCell(0, 0);
    return sheet;
}
