#include "analysis/builders.h"
#include "analysis/lastdigitgrid.h"
#include "store/checked.h"

// 下一桁出現傾向分析: a row per complete draw; the cell of digit d repeats d
// once for each of the draw's seven numbers ending in d.
namespace {

Colour digitColour(qsizetype length)
{
    if (length <= 1)
        return Colours::White;
    if (length == 2)
        return Colours::LightCyan;
    if (length == 3)
        return Colours::LightGreen;
    return Colours::LightPink;
}

} // namespace

Sheet buildLastDigitTrend(const DrawHistoryStore &store)
{
    using namespace LastDigitGrid;
    const qint16 closingRow = checked::add(store.LastDrawNo, 3);

    Sheet sheet;
    setUp(sheet, store.LastDrawNo, false);
    captionPair(sheet, 1, true, Column1Outline::TitleRow);
    captionPair(sheet, closingRow, false, Column1Outline::TitleRow);

    checked::BoundedTable<QString> digits(0, 9);
    qint16 row = FirstDataRow;
    for (const DrawRecord &record : store.DrawRecordset) {
        if (!record.isComplete())
            continue;
        // More complete draws than LastDrawNo (draw numbers below 1) would run
        // into the closing caption rows; they are left out rather than written
        // over them.
        if (row >= closingRow)
            break;
        digits.fill(QString());
        setFieldText(sheet, 1, row, record.drawNo);
        for (int p = 1; p <= 7; ++p) {
            const qint16 d = qint16(record.number(p).toInt16() % 10);
            digits[d] += QString::number(d);
        }
        for (int d = 0; d <= 9; ++d) {
            sheet.setText(d + 2, row, digits[d]);
            sheet.setBackColour(Block::cell(d + 2, row), digitColour(digits[d].size()));
        }
        row = checked::add(row, 1);
    }
    return sheet;
}
