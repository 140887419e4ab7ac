#include "popularity/expectedreturn.h"

#include <algorithm>
#include <cmath>
#include <queue>

namespace Popularity {

TypicalPools typicalPools(const PrizeHistory &history, int recent, size_t end)
{
    const GameRules &rules = history.rules();
    end = std::min(end, history.draws.size());
    const size_t first = end > size_t(recent) ? end - size_t(recent) : 0;
    const std::vector<DrawFund> funds = drawFunds(history);

    TypicalPools typical;
    typical.draws = int(end - first);
    typical.pools.assign(size_t(rules.tierCount()), 0.0);
    if (end == first)
        return typical;
    typical.firstDraw = history.draws[first].drawNo;
    typical.lastDraw = history.draws[end - 1].drawNo;
    std::vector<double> fund;
    std::vector<std::vector<double>> pools(size_t(rules.tierCount()));
    double cap = 0;
    for (size_t i = first; i < end; ++i) {
        const PrizeDraw &draw = history.draws[i];
        if (!funds[i].known())
            continue; // its accounts do not say what it held
        fund.push_back(funds[i].fund);
        for (int t = 1; t <= rules.tierCount(); ++t) {
            const TierOutcome &tier = draw.tiers[size_t(t - 1)];
            if (!rules.tiers[size_t(t - 1)].isPariMutuel())
                continue;
            if (t == 1 && history.carriesOver) {
                // A known fund means both carry-overs are known.
                const std::int64_t before = i > 0 && draw.drawNo > 1 ? *history.draws[i - 1].carryOver : 0;
                pools[0].push_back(double(tier.paid() + *draw.carryOver - before));
                if (before == 0 && tier.winners > 0)
                    cap = std::max(cap, double(tier.prize));
            } else if (tier.winners > 0) {
                pools[size_t(t - 1)].push_back(double(tier.paid()));
            }
        }
    }
    typical.fund = medianOf(std::move(fund));
    for (size_t t = 0; t < pools.size(); ++t)
        typical.pools[t] = medianOf(std::move(pools[t]));
    if (cap > 0)
        typical.cap = cap;
    return typical;
}

double shareOfPool(double mu, double theta)
{
    if (mu <= 0)
        return 1;
    if (std::isinf(theta))
        return -std::expm1(-mu) / mu;
    // Negative binomial: E[1/(1+X)] = (p − p^θ) / (q (θ − 1)), p = θ/(θ+μ).
    const double logP = -std::log1p(mu / theta);
    const double p = std::exp(logP);
    const double q = mu / (theta + mu);
    const double a = theta - 1;
    if (std::abs(a) < 1e-9)
        return -p * logP / q;
    return p * -std::expm1(a * logP) / (q * a);
}

ReturnModel::ReturnModel(const Fit &fit, const TypicalPools &pools, LineMask previousDraw)
    : m_rules(rulesOf(fit.game)), m_patterns(fit.game), m_fit(fit), m_pools(pools), m_previous(previousDraw)
{
    for (int t = 1; t <= m_rules.tierCount(); ++t)
        m_chances.push_back(m_rules.tierChance(t));

    // The scores a line can reach: its k lowest (highest) weights and every
    // pattern at the end of its range that lowers (raises) the score.
    std::vector<double> weights;
    for (const Estimate &w : fit.numbers)
        weights.push_back(w.value);
    std::sort(weights.begin(), weights.end());
    double lowest = 0;
    double highest = 0;
    for (int i = 0; i < std::min(int(weights.size()), m_rules.mainCount); ++i) {
        lowest += weights[size_t(i)];
        highest += weights[weights.size() - 1 - size_t(i)];
    }
    for (int j = 0; j < m_patterns.count() && j < int(fit.patterns.size()); ++j) {
        const double end = fit.patterns[size_t(j)].value * m_patterns.largest(m_patterns.pattern(j));
        lowest += std::min(0.0, end);
        highest += std::max(0.0, end);
    }
    constexpr int Steps = 8192;
    m_lowest = lowest;
    m_step = (highest - lowest) / Steps;
    for (int i = 0; i <= Steps; ++i)
        m_table.push_back(returnAt(lowest + i * m_step));
}

double ReturnModel::expectedReturn(LineMask line) const
{
    if (m_step <= 0)
        return m_table.front(); // every line scores alike
    const double position = (score(line) - m_lowest) / m_step;
    const size_t last = m_table.size() - 1;
    const size_t i = std::min(size_t(std::max(0.0, position)), last - 1);
    const double within = std::clamp(position - double(i), 0.0, 1.0);
    return m_table[i] + within * (m_table[i + 1] - m_table[i]);
}

double ReturnModel::score(LineMask line) const
{
    return m_fit.score(m_patterns, line, m_previous);
}

double ReturnModel::tierReturn(int tier, double s) const
{
    const TierRule &rule = m_rules.tiers[size_t(tier - 1)];
    if (!rule.isPariMutuel())
        return double(rule.fixedPrize);
    const double mu = m_fit.expectedWinners(tier, m_pools.fund, s);
    const double theta = m_fit.tiers[size_t(tier - 1)].theta;
    const double pool = m_pools.pools[size_t(tier - 1)];
    double share = pool * shareOfPool(mu, theta);
    if (tier == 1 && m_pools.cap && pool > *m_pools.cap) {
        // min(pool / (1 + x), cap): take back what the cap keeps from the few
        // co-winner counts whose share would exceed it.
        const bool poisson = std::isinf(theta);
        const double q = poisson ? 0 : mu / (theta + mu);
        double probability = poisson ? std::exp(-mu) : std::exp(-theta * std::log1p(mu / theta));
        for (int x = 0; pool / (1 + x) > *m_pools.cap; ++x) {
            share -= probability * (pool / (1 + x) - *m_pools.cap);
            probability *= poisson ? mu / (x + 1) : (x + theta) / (x + 1) * q;
        }
    }
    return share;
}

double ReturnModel::returnAt(double s) const
{
    double sum = 0;
    for (int t = 1; t <= m_rules.tierCount(); ++t)
        sum += m_chances[size_t(t - 1)] * tierReturn(t, s);
    return sum;
}

bool ReturnModel::withinData(LineMask line) const
{
    for (int j = 0; j < m_patterns.count() && j < int(m_fit.patternsSeen.size()); ++j) {
        if (m_patterns.value(m_patterns.pattern(j), line, m_previous) > m_fit.patternsSeen[size_t(j)])
            return false;
    }
    return true;
}

std::vector<double> ReturnModel::tierReturns(LineMask line) const
{
    const double s = score(line);
    std::vector<double> returns;
    for (int t = 1; t <= m_rules.tierCount(); ++t)
        returns.push_back(m_chances[size_t(t - 1)] * tierReturn(t, s));
    return returns;
}

std::vector<double> ReturnModel::expectedWinners(LineMask line) const
{
    const double s = score(line);
    std::vector<double> winners;
    for (int t = 1; t <= m_rules.tierCount(); ++t)
        winners.push_back(m_fit.expectedWinners(t, m_pools.fund, s));
    return winners;
}

double ReturnModel::average() const
{
    if (!m_average) {
        double sum = 0;
        long long lines = 0;
        forEachLine(m_rules, [&](LineMask line) {
            sum += expectedReturn(line);
            ++lines;
        });
        m_average = sum / double(lines);
    }
    return *m_average;
}

std::vector<int> numbersOf(LineMask line)
{
    std::vector<int> numbers;
    for (int n = 1; n < 64; ++n) {
        if (line & (LineMask(1) << n))
            numbers.push_back(n);
    }
    return numbers;
}

Extremes extremes(const ReturnModel &model, int count)
{
    using Entry = std::pair<double, LineMask>;
    // The kept lines with the worst of them on top, to be pushed out first.
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> highest;
    std::priority_queue<Entry> lowest;
    forEachLine(model.rules(), [&](LineMask line) {
        const double value = model.expectedReturn(line);
        const bool high = int(highest.size()) < count || value > highest.top().first;
        const bool low = int(lowest.size()) < count || value < lowest.top().first;
        if ((!high && !low) || !model.withinData(line))
            return;
        if (high) {
            highest.emplace(value, line);
            if (int(highest.size()) > count)
                highest.pop();
        }
        if (low) {
            lowest.emplace(value, line);
            if (int(lowest.size()) > count)
                lowest.pop();
        }
    });
    Extremes result;
    result.average = model.average();
    auto ranked = [&result](const Entry &e) { return RankedLine{e.second, e.first, e.first / result.average}; };
    for (; !highest.empty(); highest.pop())
        result.least.push_back(ranked(highest.top()));
    for (; !lowest.empty(); lowest.pop())
        result.most.push_back(ranked(lowest.top()));
    std::reverse(result.least.begin(), result.least.end());
    std::reverse(result.most.begin(), result.most.end());
    return result;
}

} // namespace Popularity
