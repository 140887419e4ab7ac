#pragma once

#include "prediction/backtest.h"
#include "prediction/wheel.h"

#include <map>

// The walk-forward test of one more way to buy: each draw's 消去法 numbers
// bought as a reduced wheel ("if 4 match 3") instead of all their lines. Its
// cost and prize tiers are set against as many random lines, by the exact
// chances of a fair draw. It is reported on its own, with its own p: the
// seven methods' Holm adjustment stays as it is.
namespace Backtest {

inline const WheelCondition StrategyCondition{4, 3};
// "消去法の候補で縮小ホイール（4個出れば3個一致）"
QString wheelStrategyName();

// The search budget of each wheel, in moves rather than seconds, so that the
// test gives the same lines (and numbers) on every machine.
inline constexpr long long StrategyMoves = 5'000;

// The wheels built so far, by candidate count. One wheel per count serves
// every draw (moved onto its candidates); a window keeps the book between
// runs, as the same count and budget always give the same wheel.
using WheelBook = std::map<int, Wheel>;

// The wheel of that many candidates for the strategy: from the book, or built
// and kept there. Nothing when no verified wheel exists for the count.
const Wheel *strategyWheel(int candidates, WheelBook &book);

// Adds the strategy to a result: per draw its lines and tiers, and the sums
// against random lines (Result::wheel). Draws whose prediction failed, or
// whose 消去法 shows fewer than six numbers, are not tested.
void addWheelStrategy(Result &result, WheelBook &book);

// What lines won on one draw, in words: "5等2口 4等1口"; empty for nothing.
QString tiersText(const LinesScore &score);

// The variance of the number of winning lines (5等 or better) among the
// lines on one fair draw: the lines' overlaps make it differ from that of
// as many independent lines.
double prizeLineVariance(const std::vector<Wheel::Line> &lines);

} // namespace Backtest
