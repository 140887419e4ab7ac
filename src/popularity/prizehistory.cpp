#include "popularity/prizehistory.h"

#include <algorithm>
#include <cmath>

double medianOf(std::vector<double> values)
{
    if (values.empty())
        return 0;
    const size_t middle = values.size() / 2;
    std::nth_element(values.begin(), values.begin() + std::ptrdiff_t(middle), values.end());
    double m = values[middle];
    if (values.size() % 2 == 0)
        m = (m + *std::max_element(values.begin(), values.begin() + std::ptrdiff_t(middle))) / 2;
    return m;
}

LineMask maskOf(const std::vector<int> &numbers)
{
    LineMask mask = 0;
    for (int n : numbers)
        mask |= LineMask(1) << n;
    return mask;
}

int referenceTier(const GameRules &rules)
{
    int best = 0;
    for (int t = 1; t <= rules.tierCount(); ++t) {
        if (rules.tiers[size_t(t - 1)].isPariMutuel() && (best == 0 || rules.winningLines(t) > rules.winningLines(best)))
            best = t;
    }
    return best;
}

namespace {

// How far a fund may stray from its neighbours' ratio to the reference pool.
constexpr double AgreementFactor = 1.5;
constexpr int Neighbours = 100;

} // namespace

std::vector<DrawFund> drawFunds(const PrizeHistory &history)
{
    const std::vector<PrizeDraw> &draws = history.draws;
    std::vector<DrawFund> funds(draws.size());
    const int reference = referenceTier(history.rules());
    std::vector<size_t> known;
    std::vector<double> ratio(draws.size(), 0);
    for (size_t i = 0; i < draws.size(); ++i) {
        const PrizeDraw &draw = draws[i];
        double fund = 0;
        for (const TierOutcome &tier : draw.tiers)
            fund += double(tier.paid());
        if (history.carriesOver) {
            std::optional<std::int64_t> before;
            if (draw.drawNo == 1)
                before = 0;
            else if (i > 0 && draws[i - 1].drawNo == draw.drawNo - 1)
                before = draws[i - 1].carryOver;
            if (!before || !draw.carryOver)
                continue;
            fund += double(*draw.carryOver - *before);
        }
        const double pool = double(draw.tiers[size_t(reference - 1)].paid());
        if (fund <= 0 || pool <= 0)
            continue;
        funds[i] = {DrawFund::State::Known, fund};
        ratio[i] = fund / pool;
        known.push_back(i);
    }
    // The ratio drifts when the game's rules change the tiers' shares, so
    // each fund is held against its own neighbourhood.
    const size_t window = std::min<size_t>(known.size(), Neighbours + 1);
    for (size_t j = 0; j < known.size(); ++j) {
        const size_t first = std::min(j >= window / 2 ? j - window / 2 : 0, known.size() - window);
        std::vector<double> around;
        around.reserve(window);
        for (size_t m = first; m < first + window; ++m)
            around.push_back(ratio[known[m]]);
        const double typical = medianOf(std::move(around));
        const double r = ratio[known[j]];
        if (r > typical * AgreementFactor || r < typical / AgreementFactor)
            funds[known[j]].state = DrawFund::State::DoesNotAgree;
    }
    return funds;
}
