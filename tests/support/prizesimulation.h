#pragma once

// Prize histories simulated from a known popularity (or none), for the tests
// and the calibration benchmark of the popularity model.

#include "popularity/linepatterns.h"
#include "popularity/prizehistory.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <vector>

namespace PrizeSimulation {

// How the public plays: the model's own parameters (popularitymodel.h).
struct Truth
{
    Game game = Game::Loto6;
    std::vector<double> weights;  // 1 … N, summing to zero; empty for none
    std::vector<double> patterns; // LinePatterns order; empty for none
    std::vector<double> scales;   // γ per tier; empty for 1 everywhere
    std::vector<double> thetas;   // negative binomial size per tier; empty for Poisson
    double sales = 4e8;           // 円 a draw, on average
    double salesSpread = 0.2;     // log-normal spread of a draw's sales
};

// No popularity: every line equally played.
inline Truth equal(Game game)
{
    Truth truth;
    truth.game = game;
    return truth;
}

// A popularity of the size the real histories show: low numbers and a few
// lucky ones favoured, the patterns of linepatterns.h at work, higher tiers
// feeling it more, counts overdispersed.
inline Truth favoured(Game game)
{
    const GameRules &rules = rulesOf(game);
    Truth truth;
    truth.game = game;
    double sum = 0;
    for (int n = 1; n <= rules.highest; ++n) {
        const double w = 0.06 * std::cos(3.0 * n / rules.highest) + (n % 7 == 3 ? 0.03 : 0.0);
        truth.weights.push_back(w);
        sum += w;
    }
    for (double &w : truth.weights)
        w -= sum / rules.highest;
    const LinePatterns patterns(game);
    for (int j = 0; j < patterns.count(); ++j)
        truth.patterns.push_back(0.012 * ((j % 3) - 1) + 0.004);
    for (int t = 1; t <= rules.tierCount(); ++t) {
        const double matched = rules.tiers[size_t(t - 1)].main;
        truth.scales.push_back(std::pow(matched / rules.tiers.back().main, 1.3));
        truth.thetas.push_back(t == 1 ? 3.0 : 30.0 * (t + 1));
    }
    truth.scales.back() = 1;
    return truth;
}

inline double score(const Truth &truth, const LinePatterns &patterns, LineMask line, LineMask previous)
{
    double s = 0;
    for (size_t n = 1; n <= truth.weights.size(); ++n)
        s += (line >> n) & 1 ? truth.weights[n - 1] : 0.0;
    for (size_t j = 0; j < truth.patterns.size(); ++j)
        s += truth.patterns[j] * patterns.value(patterns.pattern(int(j)), line, previous);
    return s;
}

// Draws 1 … count: fair numbers; per tier winners with mean
// lines sold × chance × e^(γ s), negative binomial where a θ is given; the
// pari-mutuel tiers share what the fixed ones leave of 45 % of the sales
// equally, each prize rounded down to 100 円; what is not paid is carried over.
inline PrizeHistory simulate(const Truth &truth, int count, unsigned seed)
{
    const GameRules &rules = rulesOf(truth.game);
    const LinePatterns patterns(truth.game);
    std::mt19937_64 random(seed);
    PrizeHistory history;
    history.game = truth.game;
    history.carriesOver = true;
    int pariMutuel = 0;
    for (const TierRule &tier : rules.tiers)
        pariMutuel += tier.isPariMutuel() ? 1 : 0;
    std::int64_t carried = 0;
    LineMask previous = 0;
    for (int d = 1; d <= count; ++d) {
        PrizeDraw draw;
        draw.drawNo = d;
        draw.date = QDate(2000, 1, 1).addDays(7 * d);
        std::vector<int> numbers(size_t(rules.highest));
        std::iota(numbers.begin(), numbers.end(), 1);
        std::shuffle(numbers.begin(), numbers.end(), random);
        draw.main.assign(numbers.begin(), numbers.begin() + rules.mainCount);
        std::sort(draw.main.begin(), draw.main.end());
        draw.bonus.assign(numbers.begin() + rules.mainCount, numbers.begin() + rules.positions());

        const double sales = std::round(truth.sales * std::exp(truth.salesSpread * std::normal_distribution<>(0, 1)(random)));
        const double fund = std::round(0.45 * sales);
        const double lines = sales / rules.price;
        const double s = score(truth, patterns, draw.mainMask(), previous);
        double fixedPaid = 0;
        for (int t = 1; t <= rules.tierCount(); ++t) {
            const double gamma = truth.scales.empty() ? 1.0 : truth.scales[size_t(t - 1)];
            double mu = lines * rules.tierChance(t) * std::exp(gamma * s);
            if (!truth.thetas.empty()) {
                const double theta = truth.thetas[size_t(t - 1)];
                mu *= std::gamma_distribution<>(theta, 1 / theta)(random);
            }
            TierOutcome tier;
            tier.winners = std::poisson_distribution<std::int64_t>(mu)(random);
            if (!rules.tiers[size_t(t - 1)].isPariMutuel() && tier.winners > 0) {
                tier.prize = rules.tiers[size_t(t - 1)].fixedPrize;
                fixedPaid += double(tier.paid());
            }
            draw.tiers.push_back(tier);
        }
        const double pool = std::max(0.0, fund - fixedPaid) / pariMutuel;
        double paid = fixedPaid;
        for (int t = 1; t <= rules.tierCount(); ++t) {
            TierOutcome &tier = draw.tiers[size_t(t - 1)];
            if (rules.tiers[size_t(t - 1)].isPariMutuel() && tier.winners > 0) {
                tier.prize = std::max<std::int64_t>(100, std::int64_t(pool / double(tier.winners) / 100) * 100);
                paid += double(tier.paid());
            }
        }
        carried = std::max<std::int64_t>(0, carried + std::int64_t(fund - paid));
        draw.carryOver = carried;
        previous = draw.mainMask();
        history.draws.push_back(std::move(draw));
    }
    return history;
}

} // namespace PrizeSimulation
