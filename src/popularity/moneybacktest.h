#pragma once

#include "popularity/expectedreturn.h"

#include <QString>

#include <cstdint>
#include <vector>

// The test on real money: on every past draw, buy "人気の低い口" chosen from a
// model fitted only on the draws before it, and as many lines at random;
// pay both with what that draw really paid.
namespace Popularity {

struct MoneyBacktestOptions
{
    int lines = 10;        // lines bought per draw by each way
    int training = 200;    // draws of the history before the first one tested
    int refitEvery = 50;   // the model is fitted again (and the lines chosen again) after this many draws
    int recentPools = 100; // draws the typical pools are taken over
    int resamples = 2000;  // draws resampled for the interval
    std::uint32_t seed = 20260817u;
    Options model;
};

// What one way of buying bought and won.
struct Purchase
{
    long long lines = 0;
    long long spent = 0;    // 円
    double paid = 0;        // 円
    std::vector<long long> wins; // lines per tier, 1等 first
    double perThousand() const { return spent > 0 ? paid * 1000 / double(spent) : 0; }
};

enum class MoneyVerdict { Better, Worse, NotDistinguishable };

struct MoneyBacktest
{
    int draws = 0; // draws tested
    int firstDraw = 0;
    int lastDraw = 0;
    int refits = 0;
    Purchase unpopular; // 人気の低い口
    Purchase random;    // でたらめな口
    // What a line picked at random is expected to get back on those draws
    // at their real prizes, per 1,000 円: the yardstick without the luck of
    // the random lines.
    double averageLinePerThousand = 0;
    // 人気の低い口 minus でたらめな口, 円 per 1,000 円 spent, with its 95 %
    // interval from resampling the draws.
    double difference = 0;
    double low = 0;
    double high = 0;
    MoneyVerdict verdict = MoneyVerdict::NotDistinguishable;
    QString verdictText() const;
};

// What one more line winning `tier` (1 …) would have been paid on the draw,
// by the rule of moneyBacktest; before is the draw before it (or none).
double linePrize(const GameRules &rules, const PrizeDraw &draw, const PrizeDraw *before, const TypicalPools &typical,
                 double largestFirstPrize, int tier);

// "人気の低い口": when the model is fitted (every refitEvery draws), the `lines`
// lines it expects to pay the most among those like the draws it has seen
// (expectedreturn.h's extremes, the latest draw as the previous one),
// bought on every draw until the next fit.
//
// A line is paid what its tier really paid per line, shared once more with
// it (prize × winners / (winners + 1)): the line would have been one winner
// more. A tier nobody won pays its typical pool of the draws before; 1等
// with what was carried into it, up to the largest 1等 prize per line paid
// before. The fixed tiers pay their amount.
//
// Throws std::invalid_argument (Japanese) when no draw is left after the
// training draws, or a fit fails.
MoneyBacktest moneyBacktest(const PrizeHistory &history, const MoneyBacktestOptions &options);

} // namespace Popularity
