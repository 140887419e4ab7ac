#include "analysis/builders.h"

#include <algorithm>

#include "store/checked.h"

// 出現頻度分析: one strip of dots per number, one dot per appearance in draw
// order, coloured by main or bonus; the scale row counts the appearances.
Sheet buildAppearanceFrequency(const DrawHistoryStore &store)
{
    constexpr int offset = 2; // number n is shown in row n + offset
    constexpr Colour border = Colours::LightBlue;

    qint16 highest = 0;
    for (int n = 1; n <= 99; ++n)
        highest = std::max(highest, store.NumberTotal[n]);
    const int last = checked::add(highest, 2);

    Sheet sheet;
    sheet.setDimensions(last, 45, 51, 45);
    sheet.setScrollBars(ScrollBars::Both);
    sheet.setFrozenCols(1);
    sheet.setFrozenRows(2);
    sheet.setRowHeight(-1, 10.0);
    sheet.setRowHeight(1, 15.0);
    sheet.setRowHeight(2, 15.0);
    sheet.setColWidth(-1, 2.0);
    sheet.setColWidth(1, 5.0);
    sheet.setColWidth(last, 5.0);
    sheet.setStaticCentred(Block::all());

    sheet.setBorder(Block::cells(2, 1, last, 1), Border::Outline, border);
    sheet.setBackColour(Block::cells(2, 1, last, 1), Colours::LightYellow);
    sheet.setBorder(Block::cell(1, 1), Border::Right, border);
    sheet.setBorder(Block::cell(last - 1, 1), Border::Right, border);
    sheet.setOverflow(true);
    sheet.setForeColour(Block::cell(26, 1), Colours::Red);
    sheet.setHAlign(Block::cell(26, 1), HAlign::Left);
    sheet.setText(26, 1, QStringLiteral("出 　現 　頻 　度（回）"));
    sheet.setColours(Block::cells(1, 1, 1, 45), Colours::Blue, Colours::PaleCyan);
    sheet.setColours(Block::cells(last, 1, last, 45), Colours::Blue, Colours::PaleCyan);
    sheet.setBorder(Block::cells(-1, 2, -1, 45), Border::All, border);
    sheet.setColours(Block::cells(2, 2, last - 1, 2), Colours::Red, Colours::LightYellow);
    for (int n = 1; n <= 43; ++n) {
        sheet.setText(1, n + offset, n);
        sheet.setText(last, n + offset, n);
    }
    sheet.setActiveCell(0, 0);

    sheet.setText(1, 2, QStringLiteral("数字"));
    sheet.setText(last, 2, QStringLiteral("数字"));

    checked::BoundedTable<qint16> count(0, 9999, 0);
    for (const DrawRecord &record : store.DrawRecordset) {
        if (!record.isComplete())
            continue;
        qint16 v[7];
        for (int p = 1; p <= 7; ++p)
            v[p - 1] = record.number(p).toInt16();
        // Every dot of a draw uses the counts from before that draw.
        for (int p = 0; p < 7; ++p) {
            const qint16 c = count[v[p]];
            sheet.setText(checked::add(c, 2), 2, checked::add(c, 1));
        }
        for (int p = 0; p < 6; ++p)
            sheet.setText(checked::add(count[v[p]], 2), checked::add(v[p], offset), QStringLiteral("●"));
        for (int p = 0; p < 6; ++p)
            sheet.setForeColour(Block::cell(count[v[p]] + 2, v[p] + offset), Colours::MainDot);
        const qint16 b = v[6];
        sheet.setText(checked::add(count[b], 2), checked::add(b, offset), QStringLiteral("●"));
        sheet.setForeColour(Block::cell(count[b] + 2, b + offset), Colours::BonusDot);
        for (int p = 0; p < 7; ++p)
            count[v[p]] = checked::add(count[v[p]], 1);
    }
    return sheet;
}
