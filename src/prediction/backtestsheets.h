#pragma once

#include "prediction/backtest.h"
#include "ui/sheet.h"

#include <vector>

// What the window 予想の検証 shows, built as grids and chart data so that the
// window only paints them.
namespace BacktestSheets {

// Class name and caption of the window.
inline const QString WindowName = QStringLiteral("予想の検証");

// One row per method: hits beside the random expectation, z, p and the p
// adjusted for the seven methods (Holm), the verdict by the adjusted p,
// tickets and cost, and the tier counts observed and expected.
Sheet summary(const Backtest::Result &result);
// The reduced-wheel strategy in one row: its cost, winning lines beside the
// random expectation with its own p (not adjusted with the seven), how
// often its guarantee applied and held, and the tiers.
Sheet wheel(const Backtest::LinesSummary &summary);
// One row per target draw: the draw and its numbers, then per method its
// numbers and hits; a main number that hit stands in brackets, the bonus in
// parentheses, and the cells are coloured by how many hit. With the wheel
// strategy added, a last column says what its lines won.
Sheet draws(const Backtest::Result &result);

// Cumulative hits of one method beside the random expectation, per draw.
struct CumulativePoint
{
    int draw = 0;
    long long hits = 0;
    double expected = 0;
    double sd = 0; // √ of the summed variances
};
std::vector<CumulativePoint> cumulative(const Backtest::Result &result, int method);

// The step between an axis's labels: 1, 2 or 5 times a power of ten, the
// smallest that cuts span into at most maxSteps steps, so that the labels
// are round (0, ±20, ±40 …; 500, 1000, 1500 …).
double roundTickInterval(double span, int maxSteps);

// An axis over low … high widened to whole steps of that interval, so that
// its labels fall on multiples of it (0 among them wherever the range
// crosses it): from min to max in count labels.
struct AxisTicks
{
    double min = 0;
    double max = 1;
    double interval = 1;
    int count = 2;
};
AxisTicks roundAxis(double low, double high, int maxSteps);

} // namespace BacktestSheets
