#include "prediction/buyingsheets.h"

#include "maintenance/ticketsummary.h"
#include "prediction/backtest.h"
#include "ui/numbertext.h"

#include <QStringList>

#include <algorithm>

namespace BuyingSheets {

using namespace BuyingPlan;

namespace {

QString percent(double fraction)
{
    return groupedDecimal(100.0 * fraction, 1) + QLatin1Char('%');
}

// A grid with a caption row in the colours of the program's result tables.
Sheet captioned(const QStringList &headers, int rows, int visibleRows)
{
    const int cols = int(headers.size());
    Sheet sheet;
    sheet.setDimensions(cols, rows, cols, std::min(rows, visibleRows));
    sheet.setScrollBars(ScrollBars::Vertical);
    sheet.setFrozenRows(1);
    sheet.setRowHeight(-1, 10.0);
    sheet.setBorder(Block::all(), Border::All);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::row(1), Colours::Blue, Colours::LightPink);
    sheet.setActiveCell(0, 0);
    for (int c = 1; c <= cols; ++c)
        sheet.setText(c, 1, headers[c - 1]);
    return sheet;
}

QString boundText(const Wheel &wheel)
{
    return wheel.bound == Wheel::Bound::Schoenheim ? QStringLiteral("Schönheim の下限") : QStringLiteral("数え上げによる下限");
}

QString stopText(const Wheel &wheel)
{
    switch (wheel.stop) {
    case Wheel::Stop::Minimal:
        return QStringLiteral("下限と同じ口数です。これより少ない縮小ホイールはありません。");
    case Wheel::Stop::Settled:
        return QStringLiteral("長く探してもこれより少なくなりませんでした。");
    case Wheel::Stop::TimeUp:
        return QStringLiteral("探索時間で打ち切りました。もっと少ない口数のホイールがあるかもしれません。");
    case Wheel::Stop::Cancelled:
        break;
    }
    return QStringLiteral("探索を取り消しました。");
}

QString tooManyText(const Plan &plan)
{
    return QStringLiteral("表示と購入記録への追加は %1口までです。%2")
        .arg(groupedDigits(MaxLines))
        .arg(plan.request.mode == Mode::Filter ? QStringLiteral("条件を増やすか、候補を減らしてください。")
                                               : QStringLiteral("候補を減らしてください。"));
}

} // namespace

Sheet lines(const Plan &plan)
{
    const int rows = 1 + (plan.listed() ? int(plan.lines.size()) : 0);
    Sheet sheet = captioned({QStringLiteral("番号"), QStringLiteral("数字1"), QStringLiteral("数字2"), QStringLiteral("数字3"),
                             QStringLiteral("数字4"), QStringLiteral("数字5"), QStringLiteral("数字6")},
                            rows, 24);
    sheet.setFrozenCols(1);
    sheet.setColWidth(-1, 6.0);
    sheet.setColWidth(1, 8.0);
    sheet.setBackColour(Block::cells(1, 2, 1, rows), Colours::LightYellow);
    for (int r = 2; r <= rows; ++r) {
        const Line &line = plan.lines[size_t(r - 2)];
        sheet.setText(1, r, r - 1);
        for (int i = 0; i < 6; ++i)
            sheet.setText(2 + i, r, line[size_t(i)]);
    }
    return sheet;
}

Sheet whatIf(const WhatIf &result)
{
    const int rows = 2 + Backtest::TierCount;
    Sheet sheet = captioned({QStringLiteral("等級"), QStringLiteral("当せんした回"), QStringLiteral("当せん口数"),
                             QStringLiteral("でたらめな同じ口数の期待値")},
                            rows, rows);
    sheet.setScrollBars(ScrollBars::None);
    sheet.setColWidth(-1, 13.0);
    sheet.setColWidth(1, 12.0);
    sheet.setColWidth(4, 24.0);
    sheet.setBackColour(Block::cells(1, 2, 1, rows), Colours::LightYellow);
    double expectedPrizeLines = 0;
    for (int t = 1; t <= Backtest::TierCount; ++t) {
        const int row = t + 1;
        const double expected = result.expectedLines(t);
        expectedPrizeLines += expected;
        sheet.setText(1, row, QStringLiteral("%1等").arg(t));
        sheet.setText(2, row, QStringLiteral("%1回").arg(groupedDigits(result.drawsWon[size_t(t - 1)])));
        sheet.setText(3, row, QStringLiteral("%1口").arg(groupedDigits(result.linesWon[size_t(t - 1)])));
        sheet.setText(4, row, QStringLiteral("%1口").arg(groupedDecimal(expected, expected < 0.1 ? 4 : 2)));
        if (result.linesWon[size_t(t - 1)] > 0)
            sheet.setBackColour(Block::cells(2, row, 3, row), Colours::LightGreen);
    }
    sheet.setText(1, rows, QStringLiteral("計（5等以上）"));
    sheet.setText(2, rows, QStringLiteral("%1回").arg(groupedDigits(result.drawsWithPrize)));
    sheet.setText(3, rows, QStringLiteral("%1口").arg(groupedDigits(result.prizeLines)));
    sheet.setText(4, rows, QStringLiteral("%1口").arg(groupedDecimal(expectedPrizeLines, 2)));
    return sheet;
}

Sheet filters(const ComboFilter::Result &result)
{
    const int rows = 1 + int(result.filters.size());
    Sheet sheet = captioned({QStringLiteral("条件"), QStringLiteral("過去に満たした回"), QStringLiteral("割合"),
                             QStringLiteral("公平な抽せんで満たす確率"), QStringLiteral("満たす口（全6,096,454口中）")},
                            rows, rows);
    sheet.setScrollBars(ScrollBars::None);
    sheet.setColWidth(1, 24.0);
    sheet.setColWidth(2, 18.0);
    sheet.setColWidth(3, 8.0);
    sheet.setColWidth(4, 22.0);
    sheet.setColWidth(5, 24.0);
    sheet.setHAlign(Block::cells(1, 2, 1, rows), HAlign::Left);
    for (int i = 0; i < int(result.filters.size()); ++i) {
        const ComboFilter::FilterStat &stat = result.filters[size_t(i)];
        const int row = i + 2;
        sheet.setText(1, row, ComboFilter::filterText(stat.filter));
        sheet.setText(2, row, QStringLiteral("%1回 / %2回").arg(groupedDigits(stat.pastPassed), groupedDigits(stat.pastDraws)));
        sheet.setText(3, row, stat.pastDraws > 0 ? percent(double(stat.pastPassed) / stat.pastDraws) : QStringLiteral("—"));
        sheet.setText(4, row, percent(stat.chance()));
        sheet.setText(5, row, QStringLiteral("%1口").arg(groupedDigits(stat.fairLines)));
    }
    return sheet;
}

QString summary(const Plan &plan)
{
    const Request &r = plan.request;
    const int k = int(r.numbers.size());
    QString text;
    switch (r.mode) {
    case Mode::AllLines:
        text = QStringLiteral("全組合せ: 候補 %1個から6個を選ぶ組合せすべて %2口、購入額 %3。")
                   .arg(k)
                   .arg(groupedDigits(plan.count), formatYen(plan.cost()));
        break;
    case Mode::Wheel: {
        const Wheel &wheel = *plan.wheel;
        if (!plan.failure.isEmpty())
            return plan.failure;
        text = QStringLiteral("縮小ホイール: %1口、購入額 %2（全組合せなら %3口）。\n")
                   .arg(groupedDigits(plan.count), formatYen(plan.cost()), groupedDigits(Backtest::choose(k, 6)));
        text += QStringLiteral("保証: %1。候補の%2個の組 %3通りをすべて確かめました。\n")
                    .arg(Wheel::guaranteeText(wheel.condition))
                    .arg(wheel.condition.ifDrawn)
                    .arg(groupedDigits(Backtest::choose(k, wheel.condition.ifDrawn)));
        text += QStringLiteral("下限: どの縮小ホイールも %1口より少なくはなりません（%2）。%3")
                    .arg(groupedDigits(wheel.lowerBound), boundText(wheel), stopText(wheel));
        if (wheel.parts > 1)
            text += QStringLiteral("候補を%1組に分け、それぞれの組で作りました。").arg(wheel.parts);
        break;
    }
    case Mode::Filter:
        text = QStringLiteral("絞り込み: %1 %2口のうち、条件をすべて満たす %3口、購入額 %4。")
                   .arg(k == 0 ? QStringLiteral("1〜43の全組合せ") : QStringLiteral("候補 %1個の全組合せ").arg(k))
                   .arg(groupedDigits(plan.filter->considered), groupedDigits(plan.count), formatYen(plan.cost()));
        break;
    }
    if (plan.failure.isEmpty() && !plan.listed())
        text += QLatin1Char('\n') + tooManyText(plan);
    return text;
}

QString whatIfText(const WhatIf &result)
{
    if (result.draws == 0)
        return QStringLiteral("当てはめる過去の抽せんがありません。");
    return QStringLiteral("この %1口を第%2回〜第%3回の %4回すべてで買っていたら、5等以上が当たったのは %5回（当せん %6口）でした。")
        .arg(groupedDigits(result.lines))
        .arg(result.firstDraw)
        .arg(result.lastDraw)
        .arg(groupedDigits(result.draws), groupedDigits(result.drawsWithPrize), groupedDigits(result.prizeLines));
}

} // namespace BuyingSheets
