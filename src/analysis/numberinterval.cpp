#include "analysis/builders.h"

#include "analysis/intervaltable.h"
#include "store/checked.h"

// 数字間隔分析: one row per record; beside each number of a complete draw, its
// difference from the number at the same position of the previous complete
// draw (stored field order, bonus against bonus).
Sheet buildNumberInterval(const DrawHistoryStore &store)
{
    constexpr Colour fallen = rgb(255, 200, 255);
    Sheet sheet = IntervalTable::layout(
        store.LastDrawNo,
        {QStringLiteral("    本 数 字     "), QStringLiteral("     ボ数字   　   "), QStringLiteral("差分")});

    qint16 previous[8] = {};
    qint16 row = 3;
    for (const DrawRecord &record : store.DrawRecordset) {
        if (record.isComplete()) {
            IntervalTable::writeDraw(sheet, row, record);
            // Only the first record's row goes without differences; when that
            // record is incomplete, the first draw is compared with zeros.
            if (row > 3) {
                for (int p = 1; p <= 7; ++p) {
                    const qint16 d = checked::sub(record.number(p).toInt16(), previous[p]);
                    const int col = 2 * p + 1;
                    if (d > 0) {
                        sheet.setText(col, row, QStringLiteral("+") + QString::number(d));
                    } else if (d < 0) {
                        sheet.setBackColour(Block::cell(col, row), fallen);
                        sheet.setText(col, row, d);
                    } else {
                        sheet.setText(col, row, QStringLiteral("0"));
                    }
                }
            }
            for (int p = 1; p <= 7; ++p)
                previous[p] = record.number(p).toInt16();
        }
        row = checked::add(row, 1);
    }
    return sheet;
}
