#include "analysis/builders.h"
#include "analysis/lastdigitgrid.h"
#include "store/checked.h"

#include <array>
#include <vector>

// 下一桁連続出現回数分析: for each last digit, how many steps long its unbroken
// run of appearances is at each draw. Rows are addressed by draw number.
namespace {

Colour runColour(qint16 run)
{
    if (run <= 3)
        return Colours::LightCyan;
    if (run <= 6)
        return Colours::LightGreen;
    if (run <= 9)
        return Colours::LightYellow;
    if (run <= 12)
        return rgb(255, 200, 255);
    return Colours::LightPink;
}

// For each digit, in walk order, the draw number of every number of every
// complete draw ending in that digit; a draw with two such numbers appears
// twice.
using AppearanceLists = std::array<std::vector<qint16>, 10>;

AppearanceLists collectAppearances(const DrawHistoryStore &store)
{
    AppearanceLists lists;
    for (const DrawRecord &record : store.DrawRecordset) {
        if (!record.isComplete())
            continue;
        const qint16 drawNo = record.drawNo.toInt16();
        for (int p = 1; p <= 7; ++p) {
            const qint16 d = qint16(record.number(p).toInt16() % 10);
            checked::checkIndex(d, 0, 9);
            lists[size_t(d)].push_back(drawNo);
        }
    }
    return lists;
}

} // namespace

Sheet buildLastDigitRuns(const DrawHistoryStore &store)
{
    using namespace LastDigitGrid;
    const AppearanceLists lists = collectAppearances(store);
    const qint16 last = store.LastDrawNo;

    Sheet sheet;
    setUp(sheet, last, true);
    captionPair(sheet, 1, true, Column1Outline::FirstRow);
    captionPair(sheet, checked::add(last, 3), false, Column1Outline::FirstRow);

    for (int d = 0; d <= 9; ++d) {
        const std::vector<qint16> &entries = lists[size_t(d)];
        qint16 run = 0;
        qint16 previous = 0;
        // Only the first LastDrawNo steps of a list are examined; a digit that
        // appears more often than there are draws keeps its later entries unseen.
        for (int i = 1; i <= last; ++i) {
            if (size_t(i) <= entries.size())
                previous = entries[size_t(i - 1)];
            if (size_t(i + 1) > entries.size())
                break;
            const qint16 current = entries[size_t(i)];
            if (checked::add(previous, 1) < current) {
                run = 0;
                continue;
            }
            run = checked::add(run, 1);
            // Draw k is row k + 2; a draw number below 1 has no data row and
            // would land on the caption rows.
            if (current < 1 || current > last)
                continue;
            sheet.setText(d + 2, current + 2, run);
            sheet.setBackColour(Block::cell(d + 2, current + 2), runColour(run));
        }
    }
    return sheet;
}
