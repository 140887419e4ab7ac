#include "prediction/backtestsheets.h"

#include "prediction/backtestwheel.h"
#include "ui/numbertext.h"

#include <QStringList>

#include <algorithm>
#include <utility>
#include <cmath>

namespace BacktestSheets {

using namespace Backtest;

namespace {

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

// Observed beside expected: "3（2.41）".
QString tierText(long long observed, double expected)
{
    return QStringLiteral("%1（%2）").arg(groupedDigits(observed), groupedDecimal(expected, expected < 0.1 ? 4 : 2));
}

// Paler to stronger as more numbers of the set hit.
Colour hitColour(int hits)
{
    switch (hits) {
    case 0:
        return Colours::White;
    case 1:
        return Colours::LightYellow;
    case 2:
        return rgb(255, 230, 150);
    default:
        return rgb(255, 170, 120);
    }
}

} // namespace

Sheet summary(const Result &result)
{
    const QStringList headers{QStringLiteral("予想方法"), QStringLiteral("検証回数"), QStringLiteral("的中数"),
                              QStringLiteral("期待値"),   QStringLiteral("z"),        QStringLiteral("p値"),
                              QStringLiteral("調整後p値"), QStringLiteral("判定"),    QStringLiteral("口数"),
                              QStringLiteral("購入額（円）"),
                              QStringLiteral("1等"),      QStringLiteral("2等"),      QStringLiteral("3等"),
                              QStringLiteral("4等"),      QStringLiteral("5等")};
    const int cols = int(headers.size());
    const int rows = MethodCount + 1;
    Sheet sheet;
    sheet.setDimensions(cols, rows, cols, rows);
    sheet.setScrollBars(ScrollBars::Horizontal);
    sheet.setFrozenCols(1);
    sheet.setRowHeight(-1, 12.0);
    sheet.setColWidth(-1, 8.0);
    sheet.setColWidth(1, 11.0);
    sheet.setColWidth(5, 6.0);
    sheet.setColWidth(6, 6.0);
    sheet.setColWidth(7, 9.0);
    sheet.setColWidth(8, 40.0);
    sheet.setColWidth(10, 13.0);
    for (int c = 11; c <= 15; ++c)
        sheet.setColWidth(c, 14.0);
    sheet.setBorder(Block::all(), Border::All);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::row(1), Colours::Blue, Colours::LightPink);
    sheet.setBackColour(Block::cells(1, 2, 1, rows), Colours::LightYellow);
    sheet.setHAlign(Block::cells(8, 2, 8, rows), HAlign::Left);
    sheet.setActiveCell(0, 0);
    for (int c = 1; c <= cols; ++c)
        sheet.setText(c, 1, headers[c - 1]);
    for (int m = 0; m < MethodCount; ++m) {
        const MethodSummary &s = result.methods[size_t(m)];
        const int row = m + 2;
        sheet.setText(1, row, methodName(m));
        sheet.setText(2, row, groupedDigits(s.tested));
        sheet.setText(3, row, groupedDigits(s.hits));
        sheet.setText(4, row, groupedDecimal(s.expectedHits, 1));
        sheet.setText(5, row, fixed(s.z, 2));
        sheet.setText(6, row, fixed(s.p, 3));
        sheet.setText(7, row, fixed(s.adjustedP, 3));
        sheet.setText(8, row, verdictText(s));
        sheet.setText(9, row, groupedDigits(s.tickets));
        sheet.setText(10, row, groupedDigits(s.cost));
        for (int t = 0; t < TierCount; ++t) {
            sheet.setText(11 + t, row, tierText(s.tiers[size_t(t)], s.expectedTiers[size_t(t)]));
        }
        const Verdict v = verdict(s);
        if (v == Verdict::Better)
            sheet.setBackColour(Block::cell(8, row), Colours::LightGreen);
        else if (v == Verdict::Worse)
            sheet.setBackColour(Block::cell(8, row), Colours::LightCyan);
    }
    return sheet;
}

Sheet wheel(const LinesSummary &w)
{
    const QStringList headers{QStringLiteral("買い方"), QStringLiteral("検証回数"), QStringLiteral("口数"),
                              QStringLiteral("購入額（円）"), QStringLiteral("当せん口数"), QStringLiteral("期待値"),
                              QStringLiteral("z"), QStringLiteral("p値"), QStringLiteral("判定"),
                              QStringLiteral("保証"), QStringLiteral("1等"), QStringLiteral("2等"), QStringLiteral("3等"),
                              QStringLiteral("4等"), QStringLiteral("5等")};
    const int cols = int(headers.size());
    Sheet sheet;
    sheet.setDimensions(cols, 2, cols, 2);
    sheet.setScrollBars(ScrollBars::Horizontal);
    sheet.setFrozenCols(1);
    sheet.setRowHeight(-1, 12.0);
    sheet.setColWidth(-1, 8.0);
    sheet.setColWidth(1, 40.0);
    sheet.setColWidth(4, 13.0);
    sheet.setColWidth(8, 6.0);
    sheet.setColWidth(9, 40.0);
    sheet.setColWidth(10, 16.0);
    for (int c = 11; c <= 15; ++c)
        sheet.setColWidth(c, 14.0);
    sheet.setBorder(Block::all(), Border::All);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::row(1), Colours::Blue, Colours::LightPink);
    sheet.setBackColour(Block::cell(1, 2), Colours::LightYellow);
    sheet.setHAlign(Block::cell(9, 2), HAlign::Left);
    sheet.setActiveCell(0, 0);
    for (int c = 1; c <= cols; ++c)
        sheet.setText(c, 1, headers[c - 1]);
    sheet.setText(1, 2, w.name);
    sheet.setText(2, 2, groupedDigits(w.tested));
    sheet.setText(3, 2, groupedDigits(w.tickets));
    sheet.setText(4, 2, groupedDigits(w.cost));
    sheet.setText(5, 2, groupedDigits(w.prizeLines));
    sheet.setText(6, 2, groupedDecimal(w.expectedPrizeLines, 1));
    sheet.setText(7, 2, fixed(w.z, 2));
    sheet.setText(8, 2, fixed(w.p, 3));
    sheet.setText(9, 2, verdictText(verdict(w)));
    // The promise kept every time it applied: "12 / 12回".
    sheet.setText(10, 2, QStringLiteral("%1 / %2回").arg(groupedDigits(w.guaranteeKept), groupedDigits(w.guaranteeDraws)));
    for (int t = 0; t < TierCount; ++t)
        sheet.setText(11 + t, 2, tierText(w.tiers[size_t(t)], w.expectedTiers[size_t(t)]));
    return sheet;
}

Sheet draws(const Result &result)
{
    const int wheelCol = 3 + 2 * MethodCount;
    const int cols = wheelCol - 1 + (result.wheel ? 1 : 0);
    const int rows = 1 + int(result.draws.size());
    Sheet sheet;
    sheet.setDimensions(cols, rows, cols, std::min(rows, 20));
    sheet.setScrollBars(ScrollBars::Both);
    sheet.setFrozenRows(1);
    sheet.setFrozenCols(1);
    sheet.setRowHeight(-1, 10.0);
    sheet.setColWidth(-1, 4.0);
    sheet.setColWidth(1, 6.0);
    sheet.setColWidth(2, 22.0);
    for (int m = 0; m < MethodCount; ++m)
        sheet.setColWidth(3 + 2 * m, m == Elimination ? 66.0 : m == MultiShot ? 46.0 : 26.0);
    sheet.setBorder(Block::all(), Border::All);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::row(1), Colours::Blue, Colours::LightPink);
    sheet.setActiveCell(0, 0);
    sheet.setText(1, 1, QStringLiteral("回数"));
    sheet.setText(2, 1, QStringLiteral("当選数字（ボーナス）"));
    for (int m = 0; m < MethodCount; ++m) {
        sheet.setText(3 + 2 * m, 1, methodName(m));
        sheet.setText(4 + 2 * m, 1, QStringLiteral("的中"));
        sheet.setHAlign(Block::cells(3 + 2 * m, 2, 3 + 2 * m, rows), HAlign::Left);
    }
    if (result.wheel) {
        sheet.setColWidth(wheelCol, 22.0);
        sheet.setText(wheelCol, 1, QStringLiteral("縮小ホイールの当せん"));
    }
    int row = 1;
    for (const DrawResult &d : result.draws) {
        ++row;
        sheet.setText(1, row, d.draw);
        QStringList winning;
        for (const int n : d.winning)
            winning << QString::number(n);
        sheet.setText(2, row, winning.join(QLatin1Char(' ')) + QStringLiteral("（%1）").arg(d.bonusNumber));
        if (!d.error.isEmpty()) {
            sheet.setText(3, row, d.error);
            sheet.setForeColour(Block::cell(3, row), Colours::Red);
            continue;
        }
        const auto isMain = [&d](int n) { return std::find(d.winning.begin(), d.winning.end(), n) != d.winning.end(); };
        for (int m = 0; m < MethodCount; ++m) {
            const SetScore &s = d.sets[size_t(m)];
            const int col = 3 + 2 * m;
            // A main number that hit stands in brackets, the bonus in parentheses.
            QStringList numbers;
            for (const int n : s.numbers)
                numbers << (isMain(n) ? QStringLiteral("[%1]").arg(n)
                            : n == d.bonusNumber ? QStringLiteral("(%1)").arg(n) : QString::number(n));
            sheet.setText(col, row, numbers.join(QLatin1Char(' ')));
            sheet.setText(col + 1, row, s.bonus ? QStringLiteral("%1+B").arg(s.hits) : QString::number(s.hits));
            sheet.setBackColour(Block::cells(col, row, col + 1, row), hitColour(s.hits));
            if (s.hits >= 3)
                sheet.setForeColour(Block::cell(col + 1, row), Colours::Red);
        }
        if (result.wheel && d.wheel.lines > 0) {
            const QString won = tiersText(d.wheel);
            sheet.setText(wheelCol, row, won.isEmpty() ? QStringLiteral("—（%1口）").arg(groupedDigits(d.wheel.lines)) : won);
            if (!won.isEmpty())
                sheet.setBackColour(Block::cell(wheelCol, row), hitColour(3));
        }
    }
    return sheet;
}

std::vector<CumulativePoint> cumulative(const Result &result, int method)
{
    std::vector<CumulativePoint> points;
    CumulativePoint running;
    double variance = 0;
    for (const DrawResult &d : result.draws) {
        if (!d.error.isEmpty())
            continue;
        const SetScore &s = d.sets[size_t(method)];
        const Baseline b = baseline(int(s.numbers.size()));
        running.draw = d.draw;
        running.hits += s.hits;
        running.expected += b.expectedHits;
        variance += b.variance;
        running.sd = std::sqrt(variance);
        points.push_back(running);
    }
    return points;
}

double roundTickInterval(double span, int maxSteps)
{
    if (!(span > 0) || maxSteps < 1)
        return 1;
    const double rough = span / maxSteps;
    double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double factor : {1.0, 2.0, 5.0, 10.0}) {
        // A little slack, so that 1000 / 5 is not taken for more than 200.
        if (factor * power >= rough * (1 - 1e-9))
            return std::max(1.0, factor * power);
    }
    return 10 * power;
}

AxisTicks roundAxis(double low, double high, int maxSteps)
{
    if (high < low)
        std::swap(low, high);
    AxisTicks ticks;
    ticks.interval = roundTickInterval(high - low, maxSteps);
    ticks.min = std::floor(low / ticks.interval) * ticks.interval;
    ticks.max = std::ceil(high / ticks.interval) * ticks.interval;
    if (ticks.max <= ticks.min)
        ticks.max = ticks.min + ticks.interval;
    ticks.count = int(std::lround((ticks.max - ticks.min) / ticks.interval)) + 1;
    return ticks;
}

} // namespace BacktestSheets
