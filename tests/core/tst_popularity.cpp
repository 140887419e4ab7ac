// The popularity model: the patterns of a line, the fit on histories of a
// known popularity, the walk-forward evaluation, what a line is expected to
// pay and the real-money backtest.
#include "popularity/moneybacktest.h"
#include "popularity/walkforward.h"
#include "support/prizesimulation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

using namespace Popularity;

namespace {

LineMask line(std::initializer_list<int> numbers)
{
    return maskOf(std::vector<int>(numbers));
}

// The fit of a simulated history, made once per truth and size.
struct Simulated
{
    PrizeSimulation::Truth truth;
    PrizeHistory history;
    Sample sample;
};

const Simulated &simulated(Game game, bool favoured, int draws)
{
    static std::map<std::tuple<Game, bool, int>, Simulated> made;
    auto found = made.find({game, favoured, draws});
    if (found == made.end()) {
        Simulated s;
        s.truth = favoured ? PrizeSimulation::favoured(game) : PrizeSimulation::equal(game);
        s.history = PrizeSimulation::simulate(s.truth, draws, 4242u + unsigned(draws));
        s.sample = sampleOf(s.history);
        found = made.emplace(std::make_tuple(game, favoured, draws), std::move(s)).first;
    }
    return found->second;
}

} // namespace

TEST(LinePatterns, ValuesOfLines)
{
    // ロト6 on rows of 7: 1–7, 8–14, 15–21, 22–28, 29–35, 36–42, 43.
    struct Case
    {
        const char *what;
        LineMask line, previous;
        int birthdays, consecutive, sameRow, sameColumn, previousNumbers, progression;
    };
    const Case cases[] = {
        {"low and bunched", line({1, 2, 3, 10, 20, 30}), line({3, 10, 11, 12, 13, 14}), 1, 2, 3, 2, 2, 1},
        {"a whole line in step", line({5, 10, 15, 20, 25, 30}), 0, 1, 0, 1, 0, 0, 4},
        {"a column and the widest step", line({1, 2, 3, 4, 22, 43}), 0, 0, 3, 6, 3, 0, 1},
        {"38 41 in a row, 6 13 41 in a column, 23 32 41 in step", line({6, 13, 23, 32, 38, 41}),
         line({1, 2, 4, 5, 7, 8}), 0, 0, 1, 3, 0, 1},
    };
    const LinePatterns patterns(Game::Loto6);
    ASSERT_EQ(patterns.count(), 6);
    for (const Case &c : cases) {
        const int expected[] = {c.birthdays, c.consecutive, c.sameRow, c.sameColumn, c.previousNumbers, c.progression};
        for (int j = 0; j < patterns.count(); ++j) {
            EXPECT_EQ(patterns.value(patterns.pattern(j), c.line, c.previous), expected[j])
                << c.what << ": " << LinePatterns::id(patterns.pattern(j)).toStdString();
        }
    }
    // ミニロト's numbers are all dates of a month: no birthday pattern there.
    const LinePatterns mini(Game::MiniLoto);
    EXPECT_EQ(mini.count(), 5);
    EXPECT_EQ(mini.pattern(0), Pattern::Consecutive);
}

// Every line once, in the order of its numbers, with k numbers from 1 … N.
TEST(ExpectedReturn, EveryLineOnce)
{
    for (Game game : allGames()) {
        const GameRules &rules = rulesOf(game);
        long long count = 0;
        LineMask last = 0;
        bool ordered = true;
        bool shaped = true;
        forEachLine(rules, [&](LineMask l) {
            // The lowest number where two lines differ is on the earlier one.
            const LineMask differ = l ^ last;
            ordered = ordered && (count == 0 || (last & differ & (~differ + 1)) != 0);
            shaped = shaped && std::popcount(l) == rules.mainCount && !(l & 1) && l < (LineMask(2) << rules.highest);
            last = l;
            ++count;
        });
        EXPECT_EQ(count, rules.lineCount()) << rules.key.toStdString();
        EXPECT_TRUE(ordered && shaped) << rules.key.toStdString();
    }
}

// On a history simulated with a known popularity, every parameter lies in
// its interval (99.9 %; at 95 % all but a few), and the overdispersion is
// seen where the counts have it.
TEST(PopularityModel, RecoversAKnownPopularity)
{
    const Simulated &s = simulated(Game::Loto6, true, 2000);
    const Fit model = fit(s.sample, s.sample.draws.size());
    std::vector<double> z;
    for (size_t n = 0; n < s.truth.weights.size(); ++n)
        z.push_back((model.numbers[n].value - s.truth.weights[n]) / model.numbers[n].se);
    for (size_t j = 0; j < s.truth.patterns.size(); ++j)
        z.push_back((model.patterns[j].value - s.truth.patterns[j]) / model.patterns[j].se);
    for (size_t t = 0; t + 1 < s.truth.scales.size(); ++t)
        z.push_back((model.tiers[t].scale.value - s.truth.scales[t]) / model.tiers[t].scale.se);
    const long long outside95 = std::count_if(z.begin(), z.end(), [](double v) { return std::abs(v) > 1.96; });
    EXPECT_LE(outside95, 6) << "of " << z.size();
    for (size_t i = 0; i < z.size(); ++i)
        EXPECT_LT(std::abs(z[i]), 3.29) << "parameter " << i;
    for (size_t t = 2; t < model.tiers.size(); ++t) {
        EXPECT_GT(model.tiers[t].theta, s.truth.thetas[t] / 2) << "tier " << t + 1;
        EXPECT_LT(model.tiers[t].theta, s.truth.thetas[t] * 2) << "tier " << t + 1;
    }
    // Thousands of winners with a few per cent of spread beyond chance.
    EXPECT_GT(model.tiers[3].poissonDispersion, 10);
    EXPECT_GT(model.tiers.back().poissonDispersion, 100);
}

// "Popularity exists" rejects on a history with popularity and keeps quiet
// on one without; Poisson counts are seen as Poisson (any dispersion left
// adds under a tenth to their variance μ + μ²/θ).
TEST(PopularityModel, TestOfPopularity)
{
    Options shared;
    shared.tierScales = false;
    Options equal = shared;
    equal.popularity = false;
    for (bool favoured : {true, false}) {
        const Simulated &s = simulated(Game::MiniLoto, favoured, 600);
        const Fit model = fit(s.sample, s.sample.draws.size(), shared);
        const LikelihoodRatio test = testPopularity(model, fit(s.sample, s.sample.draws.size(), equal));
        EXPECT_EQ(test.df, 30 + 5);
        if (favoured) {
            EXPECT_LT(test.p, 1e-6);
        } else {
            EXPECT_GT(test.p, 0.01);
            for (size_t t = 0; t < model.tiers.size(); ++t) {
                double mean = 0;
                for (const Sample::Draw &d : s.sample.draws)
                    mean += d.winners[t] / double(s.sample.draws.size());
                EXPECT_LT(mean / model.tiers[t].theta, 0.1) << "tier " << t + 1;
            }
        }
    }
}

// Each draw is predicted by models that have not seen it: changing its
// winners changes nothing that was expected of it. With popularity the
// model explains much of the winners' deviance; without, none.
TEST(WalkForward, PredictsFromEarlierDrawsOnly)
{
    WalkForwardOptions options;
    options.training = 300;
    options.refitEvery = 100;
    const Simulated &s = simulated(Game::MiniLoto, true, 600);
    const WalkForward base = walkForward(s.sample, options);
    EXPECT_EQ(base.predicted, 300);
    EXPECT_EQ(base.refits, 3);
    EXPECT_EQ(base.firstDraw, 301);
    EXPECT_GT(base.tiers.back().explained(), 0.2);

    auto withTripled = [&s](size_t index) {
        Sample changed = s.sample;
        for (double &w : changed.draws[index].winners)
            w *= 3;
        return changed;
    };
    const WalkForward lastChanged = walkForward(withTripled(599), options);
    for (size_t i = 0; i < base.predictions.size(); ++i)
        EXPECT_EQ(lastChanged.predictions[i].model, base.predictions[i].model) << i;
    // Draw 301 opens the first refit: its own prediction and the rest up to
    // the next refit stay, the later ones learn from it.
    const WalkForward firstChanged = walkForward(withTripled(300), options);
    for (size_t i = 0; i < 100; ++i) {
        EXPECT_EQ(firstChanged.predictions[i].model, base.predictions[i].model) << i;
        EXPECT_EQ(firstChanged.predictions[i].equal, base.predictions[i].equal) << i;
    }
    EXPECT_NE(firstChanged.predictions[100].model, base.predictions[100].model);

    const WalkForward none = walkForward(simulated(Game::MiniLoto, false, 600).sample, options);
    EXPECT_LT(none.total.explained(), 0.01);
}

// E[1/(1+X)] against its series, Poisson and negative binomial.
TEST(ExpectedReturn, ShareOfPool)
{
    auto series = [](double mu, double theta) {
        double sum = 0;
        for (int x = 0; x < 5000; ++x) {
            const double logP = std::isinf(theta)
                                    ? x * std::log(mu) - mu - std::lgamma(x + 1.0)
                                    : std::lgamma(x + theta) - std::lgamma(theta) - std::lgamma(x + 1.0)
                                          + theta * std::log(theta / (theta + mu)) + x * std::log(mu / (theta + mu));
            sum += std::exp(logP) / (1 + x);
        }
        return sum;
    };
    const double cases[][2] = {{0.3, Poisson}, {2.5, Poisson}, {40, Poisson}, {0.3, 2}, {3, 2},
                               {3, 1},         {3, 1 + 1e-12}, {3, 0.5},     {50, 300}, {1e-9, 2}};
    for (const auto &c : cases)
        EXPECT_NEAR(shareOfPool(c[0], c[1]), series(c[0], c[1]), 1e-9) << c[0] << " " << c[1];
}

// The returns of every line agree with their exact values, their extremes
// and filter with a look at every line, a more popular line pays less, and
// 1等's cap takes what a lone winner would get beyond it.
TEST(ExpectedReturn, EveryLineOfAGame)
{
    const Simulated &s = simulated(Game::MiniLoto, true, 600);
    const Fit model = fit(s.sample, s.sample.draws.size());
    TypicalPools pools = typicalPools(s.history);
    pools.cap = pools.pools[0] / 2;
    const ReturnModel returns(model, pools, s.history.draws.back().mainMask());

    std::vector<RankedLine> all;
    std::vector<RankedLine> seen; // the lines like the draws fitted
    double sum = 0;
    forEachLine(returns.rules(), [&](LineMask l) {
        const double exact = returns.returnAt(returns.score(l));
        EXPECT_NEAR(returns.expectedReturn(l), exact, 1e-6 * exact);
        all.push_back({l, exact, 0});
        if (returns.withinData(l))
            seen.push_back(all.back());
        sum += returns.expectedReturn(l);
    });
    EXPECT_NEAR(returns.average(), sum / double(all.size()), 1e-9 * sum);
    EXPECT_LT(seen.size(), all.size());
    EXPECT_FALSE(returns.withinData(line({1, 2, 3, 4, 5}))); // five neighbours in one row
    auto higher = [](const RankedLine &a, const RankedLine &b) { return a.expectedReturn > b.expectedReturn; };
    std::sort(all.begin(), all.end(), higher);
    std::sort(seen.begin(), seen.end(), higher);
    const Extremes extremes = Popularity::extremes(returns, 3);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(extremes.least[i].line, seen[i].line);
        EXPECT_EQ(extremes.most[i].line, seen[seen.size() - 1 - i].line);
    }
    EXPECT_GT(extremes.least[0].ratio, 1.1);
    EXPECT_LT(extremes.most[0].ratio, 0.9);
    const double threshold = 1.05;
    const long long passing = std::count_if(all.begin(), all.end(), [&](const RankedLine &r) {
        return r.expectedReturn >= threshold * returns.average();
    });
    EXPECT_EQ(linesAtLeast(returns, threshold, [](LineMask) {}), passing);
    EXPECT_GT(returns.returnAt(-0.1), returns.returnAt(0.1));

    // 1等 with the cap: min(pool / (1 + X), cap) over the co-winners X.
    const LineMask some = all[1000].line;
    const double mu = returns.expectedWinners(some)[0];
    const double theta = model.tiers[0].theta;
    double capped = 0;
    double probability = std::exp(-theta * std::log1p(mu / theta));
    for (int x = 0; x < 2000; ++x) {
        capped += probability * std::min(pools.pools[0] / (1 + x), *pools.cap);
        probability *= (x + theta) / (x + 1) * mu / (theta + mu);
    }
    EXPECT_NEAR(returns.tierReturns(some)[0] / returns.rules().tierChance(1), capped, 1e-6 * capped);
}

// Both ways buy the same lines on the same draws; the difference per
// 1,000 円 is theirs, inside its interval, and the verdict follows it.
TEST(MoneyBacktest, SumsAndVerdict)
{
    const Simulated &s = simulated(Game::MiniLoto, true, 600);
    MoneyBacktestOptions options;
    options.training = 400;
    options.refitEvery = 100;
    options.lines = 5;
    options.resamples = 500;
    const MoneyBacktest result = moneyBacktest(s.history, options);
    EXPECT_EQ(result.draws, 200);
    EXPECT_EQ(result.refits, 2);
    EXPECT_EQ(result.firstDraw, 401);
    for (const Purchase *p : {&result.unpopular, &result.random}) {
        EXPECT_EQ(p->lines, 1000);
        EXPECT_EQ(p->spent, 200'000);
    }
    EXPECT_NEAR(result.difference, result.unpopular.perThousand() - result.random.perThousand(), 1e-6);
    EXPECT_LE(result.low, result.difference);
    EXPECT_GE(result.high, result.difference);
    const MoneyVerdict expected = result.low > 0 ? MoneyVerdict::Better
                                  : result.high < 0 ? MoneyVerdict::Worse
                                                    : MoneyVerdict::NotDistinguishable;
    EXPECT_EQ(result.verdict, expected);
}
