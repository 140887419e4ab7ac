#include "popularity/moneybacktest.h"

#include "game/bits.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <random>
#include <stdexcept>

namespace Popularity {

QString MoneyBacktest::verdictText() const
{
    switch (verdict) {
    case MoneyVerdict::Better:
        return QStringLiteral("人気の低い口のほうが多く払い戻されました（差の95%区間が0より上です）。");
    case MoneyVerdict::Worse:
        return QStringLiteral("人気の低い口のほうが少なく払い戻されました（差の95%区間が0より下です）。");
    case MoneyVerdict::NotDistinguishable:
        break;
    }
    return QStringLiteral("でたらめな口と差があるとは言えません（差の95%区間が0をまたぎます）。");
}

namespace {

// What one line of each tier would have been paid on a draw, 1等 first.
std::vector<double> linePrizes(const GameRules &rules, const PrizeDraw &draw, const PrizeDraw *before,
                               const TypicalPools &typical, double largestFirstPrize)
{
    std::vector<double> prizes;
    for (int t = 1; t <= rules.tierCount(); ++t)
        prizes.push_back(linePrize(rules, draw, before, typical, largestFirstPrize, t));
    return prizes;
}

// Adds one line's win to a purchase; returns what it was paid.
double buy(Purchase &purchase, const GameRules &rules, const PrizeDraw &draw, const std::vector<double> &prizes, LineMask line)
{
    const LineMask bonus = maskOf(draw.bonus);
    const int tier = rules.tierOf(bitCount(line & draw.mainMask()), bitCount(line & bonus));
    purchase.lines += 1;
    purchase.spent += rules.price;
    if (tier == 0)
        return 0;
    purchase.wins[size_t(tier - 1)] += 1;
    const double paid = prizes[size_t(tier - 1)];
    purchase.paid += paid;
    return paid;
}

LineMask randomLine(const GameRules &rules, std::mt19937_64 &random)
{
    std::vector<int> numbers(size_t(rules.highest));
    std::iota(numbers.begin(), numbers.end(), 1);
    LineMask line = 0;
    for (int i = 0; i < rules.mainCount; ++i) {
        std::uniform_int_distribution<int> pick(i, rules.highest - 1);
        std::swap(numbers[size_t(i)], numbers[size_t(pick(random))]);
        line |= LineMask(1) << numbers[size_t(i)];
    }
    return line;
}

} // namespace

double linePrize(const GameRules &rules, const PrizeDraw &draw, const PrizeDraw *before, const TypicalPools &typical,
                 double largestFirstPrize, int tier)
{
    const TierRule &rule = rules.tiers[size_t(tier - 1)];
    const TierOutcome &outcome = draw.tiers[size_t(tier - 1)];
    if (!rule.isPariMutuel())
        return double(rule.fixedPrize);
    if (outcome.winners > 0)
        return double(outcome.prize) * double(outcome.winners) / double(outcome.winners + 1);
    double prize = typical.pools[size_t(tier - 1)];
    if (tier == 1 && before && before->carryOver)
        prize += double(*before->carryOver);
    if (tier == 1 && largestFirstPrize > 0)
        prize = std::min(prize, largestFirstPrize);
    return prize;
}

MoneyBacktest moneyBacktest(const PrizeHistory &history, const MoneyBacktestOptions &options)
{
    const GameRules &rules = history.rules();
    const size_t start = size_t(std::max(1, options.training));
    if (history.draws.size() <= start) {
        throw std::invalid_argument(QStringLiteral("当せん金の履歴が %1 回分しかなく、%2 回分で学習したあとに試す回がありません。")
                                        .arg(history.draws.size())
                                        .arg(start)
                                        .toStdString());
    }
    const Sample sample = sampleOf(history);
    std::mt19937_64 random(options.seed);

    MoneyBacktest result;
    result.unpopular.wins.assign(size_t(rules.tierCount()), 0);
    result.random.wins.assign(size_t(rules.tierCount()), 0);
    result.firstDraw = history.draws[start].drawNo;

    double largestFirstPrize = 0;
    for (size_t i = 0; i < start; ++i)
        largestFirstPrize = std::max(largestFirstPrize, double(history.draws[i].tiers[0].prize));

    std::optional<Fit> model;
    TypicalPools typical;
    std::vector<LineMask> chosen;
    size_t fitted = 0;    // sample draws the model was fitted on
    size_t available = 0; // sample draws before the present one
    size_t chosenAt = 0;
    std::vector<double> difference; // per draw, 円
    double averageLine = 0;
    for (size_t i = start; i < history.draws.size(); ++i) {
        const PrizeDraw &draw = history.draws[i];
        while (available < sample.draws.size() && sample.draws[available].drawNo < draw.drawNo)
            ++available;
        if (!model || i - chosenAt >= size_t(std::max(1, options.refitEvery))) {
            if (available > fitted || !model) {
                model = fit(sample, available, options.model, model ? &*model : nullptr);
                fitted = available;
            }
            typical = typicalPools(history, options.recentPools, i);
            const ReturnModel returns(*model, typical, history.draws[i - 1].mainMask());
            chosen.clear();
            for (const RankedLine &line : extremes(returns, options.lines).least)
                chosen.push_back(line.line);
            chosenAt = i;
            ++result.refits;
        }

        const std::vector<double> prizes = linePrizes(rules, draw, &history.draws[i - 1], typical, largestFirstPrize);
        double paid = 0;
        for (LineMask line : chosen)
            paid += buy(result.unpopular, rules, draw, prizes, line);
        for (int l = 0; l < options.lines; ++l)
            paid -= buy(result.random, rules, draw, prizes, randomLine(rules, random));
        difference.push_back(paid);
        for (int t = 1; t <= rules.tierCount(); ++t)
            averageLine += rules.tierChance(t) * prizes[size_t(t - 1)];

        largestFirstPrize = std::max(largestFirstPrize, double(draw.tiers[0].prize));
        ++result.draws;
        result.lastDraw = draw.drawNo;
    }

    // 円 per 1,000 円 that one way spent, from a per-draw difference.
    const double spentPerDraw = double(options.lines) * rules.price;
    auto perThousand = [spentPerDraw](double perDraw) { return perDraw * 1000 / spentPerDraw; };
    const double n = double(difference.size());
    result.averageLinePerThousand = averageLine / n * 1000 / rules.price;
    result.difference = perThousand(std::accumulate(difference.begin(), difference.end(), 0.0) / n);

    // Percentile interval over resampled draws: the draws stay the unit, as
    // the lines of one draw win or lose together.
    std::mt19937_64 resampling(options.seed ^ 0x9E3779B97F4A7C15ULL);
    std::uniform_int_distribution<size_t> pick(0, difference.size() - 1);
    std::vector<double> means;
    for (int b = 0; b < std::max(1, options.resamples); ++b) {
        double sum = 0;
        for (size_t j = 0; j < difference.size(); ++j)
            sum += difference[pick(resampling)];
        means.push_back(perThousand(sum / n));
    }
    std::sort(means.begin(), means.end());
    auto quantile = [&means](double q) { return means[size_t(std::lround(q * double(means.size() - 1)))]; };
    result.low = quantile(0.025);
    result.high = quantile(0.975);
    if (result.low > 0)
        result.verdict = MoneyVerdict::Better;
    else if (result.high < 0)
        result.verdict = MoneyVerdict::Worse;
    return result;
}

} // namespace Popularity
