#include "analysis/builders.h"

#include "store/checked.h"

#include <cmath>

// 数字合計分析: every complete draw with its six main numbers, their sum, the
// bonus number and the sum of all seven. The table is the result; nothing is
// summarised over the history.

namespace {

constexpr int Columns = 10;
constexpr int SumColumn = 8;
constexpr int BonusColumn = 9;
constexpr int TotalColumn = 10;

void setUpGrid(Sheet &sheet, int lastRow)
{
    sheet.setDimensions(Columns, lastRow, Columns, 51);
    // Two thousand draws are read against their caption row, which stays in
    // view (and heads every printed page) as the draws scroll.
    sheet.setFrozenRows(1);
    sheet.setRowHeight(-1, 10.0);
    sheet.setRowHeight(1, 20.0);
    sheet.setColWidth(-1, 5.0);
    sheet.setColWidth(SumColumn, 8.0);
    sheet.setColWidth(BonusColumn, 7.0);
    sheet.setColWidth(TotalColumn, 10.0);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::cells(1, 2, 1, lastRow), Colours::Red, Colours::LightYellow);
    sheet.setColours(Block::cells(SumColumn, 2, SumColumn, lastRow), Colours::Blue, Colours::LightCyan);
    sheet.setColours(Block::cells(TotalColumn, 2, TotalColumn, lastRow), Colours::Blue, Colours::LightCyan);
    sheet.setBorder(Block::cells(1, 1, Columns, lastRow), Border::All);
    // This window leaves the active cell where the grid put it.
}

void writeCaptionRow(Sheet &sheet, int row)
{
    sheet.setBorder(Block::cells(2, row, 7, row), Border::None);
    sheet.setBorder(Block::cells(2, row, 9, row), Border::Outline);
    sheet.setColours(Block::cells(1, row, Columns, row), Colours::Black, Colours::LightPink);
    sheet.setOverflow(true);
    sheet.setAlignment(Block::cell(2, row), HAlign::Left, VAlign::Center);
    // 23 spaces and an ideographic space before, 30 spaces after: 59 characters.
    sheet.setText(2, row, QString(23, QLatin1Char(' ')) + QStringLiteral("　本 数 字") + QString(30, QLatin1Char(' ')));
    sheet.setRowHeight(row, 20.0);
    sheet.setText(1, row, QStringLiteral("回数"));
    sheet.setText(SumColumn, row, QStringLiteral("本数字合計"));
    sheet.setText(BonusColumn, row, QStringLiteral("ボ数字"));
    sheet.setText(TotalColumn, row, QStringLiteral("本数字+ボ数字"));
}

// A numeric sum as the grid shows it: whole numbers without a decimal point.
QString numberText(double value)
{
    if (std::nearbyint(value) == value && std::fabs(value) < 1e15)
        return QString::number(static_cast<long long>(value));
    return QString::number(value, 'g', 15);
}

void fill(Sheet &sheet, const Recordset &records)
{
    qint16 row = 2;
    for (const DrawRecord &record : records) {
        if (!record.isComplete())
            continue; // takes no row
        setFieldText(sheet, 1, row, record.drawNo);
        for (int k = 1; k <= 6; ++k)
            setFieldText(sheet, k + 1, row, record.number(k));
        qint16 sum = 0;
        for (int k = 1; k <= 6; ++k)
            sum = checked::add(sum, record.number(k).toInt16());
        sheet.setText(SumColumn, row, sum);
        setFieldText(sheet, BonusColumn, row, record.bonus());
        // The bonus is added as the value it holds, not rounded first.
        const std::optional<double> bonus = record.bonus().toNumber();
        if (!bonus)
            throw RuntimeError(RuntimeErrorKind::TypeMismatch);
        sheet.setText(TotalColumn, row, numberText(sum + *bonus));
        row = checked::add(row, 1);
    }
}

} // namespace

Sheet buildNumberSum(const DrawHistoryStore &store)
{
    const int lastRow = checked::add(store.LastDrawNo, 1);
    Sheet sheet;
    setUpGrid(sheet, lastRow);
    writeCaptionRow(sheet, 1);
    fill(sheet, store.DrawRecordset);
    return sheet;
}
