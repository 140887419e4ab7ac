#include "analysis/builders.h"

#include "analysis/intervaltable.h"
#include "store/checked.h"

#include <algorithm>
#include <vector>

namespace {

// The seven numbers of every listed draw, by draw number. It covers every
// draw number of the history, so a long history never runs past its end.
class SeenNumbers
{
public:
    explicit SeenNumbers(qint16 highestDrawNo)
        : m_highest(std::max<qint16>(highestDrawNo, 0))
        , m_numbers(size_t(m_highest + 1) * 8, 0) {}

    qint16 &at(int position, long long drawNo)
    {
        checked::checkIndex(drawNo, 0, m_highest);
        return m_numbers[size_t(drawNo) * 8 + size_t(position)];
    }

    // Whether x is any of the seven numbers of draw m.
    bool holds(long long m, qint16 x)
    {
        checked::checkIndex(m, 0, m_highest);
        const qint16 *numbers = &m_numbers[size_t(m) * 8];
        for (int q = 1; q <= 7; ++q) {
            if (numbers[q] == x)
                return true;
        }
        return false;
    }

private:
    qint16 m_highest;
    std::vector<qint16> m_numbers; // [drawNo][position 0 … 7]
};

qint16 highestCompleteDrawNo(const Recordset &records)
{
    qint16 highest = 0;
    for (const DrawRecord &record : records) {
        if (record.isComplete())
            highest = std::max(highest, record.drawNo.toInt16());
    }
    return highest;
}

// 0 is a first appearance, a positive value an interval, a negative one nothing.
void writeInterval(Sheet &sheet, int value, int col, int row)
{
    if (value == 0)
        sheet.setText(col, row, QStringLiteral("初回"));
    else if (value > 0)
        sheet.setText(col, row, QString::number(value) + QStringLiteral("回前"));
}

} // namespace

// 出現間隔分析: one row per record; beside each number of a complete draw, how
// many draws (by draw number, not by row) since it was last drawn as main or
// bonus number, or 初回.
Sheet buildAppearanceInterval(const DrawHistoryStore &store)
{
    Sheet sheet = IntervalTable::layout(
        store.LastDrawNo,
        {QStringLiteral("    当 選 数 字     "), QStringLiteral("　　　ボ数字   "), QStringLiteral("出現")});

    SeenNumbers seen(highestCompleteDrawNo(store.DrawRecordset));
    qint16 row = 3;
    for (const DrawRecord &record : store.DrawRecordset) {
        if (record.isComplete()) {
            IntervalTable::writeDraw(sheet, row, record);
            const qint16 n = record.drawNo.toInt16();
            qint16 numbers[8] = {};
            for (int p = 1; p <= 7; ++p) {
                numbers[p] = record.number(p).toInt16();
                seen.at(p, n) = numbers[p];
            }
            for (int p = 1; p <= 7; ++p) {
                int m = n - 1;
                while (m >= 1 && !seen.holds(m, numbers[p]))
                    --m;
                writeInterval(sheet, m >= 1 ? checked::sub(n, m) : 0, 2 * p + 1, row);
            }
        }
        row = checked::add(row, 1);
    }
    return sheet;
}
