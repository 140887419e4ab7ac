#include "prediction/backtestwheel.h"

#include "maintenance/ticket.h"
#include "game/bits.h"

#include <QStringList>

#include <cmath>
#include <numeric>

namespace Backtest {

namespace {

using Mask = std::uint64_t; // bit n for the number n

Mask maskOf(const Wheel::Line &line)
{
    Mask mask = 0;
    for (int n : line)
        mask |= Mask(1) << n;
    return mask;
}

// Draws (of all C(43, 6)) on which two lines sharing `shared` numbers both
// win, i.e. both match at least three main numbers.
long long bothWin(int shared)
{
    const int own = 6 - shared;          // numbers of each line the other lacks
    const int rest = 43 - 12 + shared;   // numbers in neither line
    long long count = 0;
    for (int a = 0; a <= shared; ++a) {
        for (int b = 0; b <= own; ++b) {
            for (int c = 0; c <= own; ++c) {
                const int r = 6 - a - b - c;
                if (r < 0 || a + b < 3 || a + c < 3)
                    continue;
                count += choose(shared, a) * choose(own, b) * choose(own, c) * choose(rest, r);
            }
        }
    }
    return count;
}

} // namespace

QString wheelStrategyName()
{
    return QStringLiteral("消去法の候補で縮小ホイール（%1個出れば%2個一致）")
        .arg(StrategyCondition.ifDrawn)
        .arg(StrategyCondition.match);
}

QString tiersText(const LinesScore &score)
{
    QStringList won;
    for (int t = 0; t < TierCount; ++t) {
        if (score.tiers[size_t(t)] > 0)
            won << QStringLiteral("%1等%2口").arg(t + 1).arg(score.tiers[size_t(t)]);
    }
    return won.join(QLatin1Char(' '));
}

double prizeLineVariance(const std::vector<Wheel::Line> &lines)
{
    std::vector<Mask> masks;
    for (const Wheel::Line &line : lines)
        masks.push_back(maskOf(line));
    // Pairs of lines by how many numbers they share.
    std::array<long long, 7> pairs{};
    for (size_t i = 0; i < masks.size(); ++i) {
        for (size_t j = 0; j < masks.size(); ++j)
            ++pairs[size_t(bitCount(masks[i] & masks[j]))];
    }
    const double all = double(AllTickets);
    const double p = double(std::accumulate(WinningTickets.begin(), WinningTickets.end(), 0LL)) / all;
    double both = 0;
    for (int s = 0; s <= 6; ++s)
        both += double(pairs[size_t(s)]) * double(bothWin(s)) / all;
    const double n = double(lines.size());
    return both - n * n * p * p;
}

const Wheel *strategyWheel(int candidates, WheelBook &book)
{
    auto it = book.find(candidates);
    if (it == book.end()) {
        std::vector<int> numbers(static_cast<size_t>(candidates), 0);
        std::iota(numbers.begin(), numbers.end(), 1);
        if (Wheel::problem(numbers, StrategyCondition))
            return nullptr;
        WheelRequest request;
        request.numbers = numbers;
        request.condition = StrategyCondition;
        request.moves = StrategyMoves;
        it = book.emplace(candidates, Wheel::build(request)).first;
    }
    return it->second.verified ? &it->second : nullptr;
}

void addWheelStrategy(Result &result, WheelBook &book)
{
    LinesSummary s;
    s.name = wheelStrategyName();
    std::map<int, double> varianceOf; // by candidate count
    for (DrawResult &d : result.draws) {
        d.wheel = {};
        const std::vector<int> &candidates = d.sets[Elimination].numbers;
        if (!d.error.isEmpty())
            continue;
        const Wheel *base = strategyWheel(int(candidates.size()), book);
        if (!base)
            continue;
        const Wheel wheel = base->movedTo(candidates);
        if (!varianceOf.count(int(candidates.size())))
            varianceOf[int(candidates.size())] = prizeLineVariance(wheel.lines);
        s.wheelLines[int(candidates.size())] = (long long)wheel.lines.size();

        Mask main = 0;
        for (int n : d.winning)
            main |= Mask(1) << n;
        const Mask bonus = Mask(1) << d.bonusNumber;
        int best = 0;
        for (const Wheel::Line &line : wheel.lines) {
            const Mask m = maskOf(line);
            const int matches = bitCount(m & main);
            best = std::max(best, matches);
            if (const int tier = tierNumber(tierFor(matches, (m & bonus) != 0)))
                ++d.wheel.tiers[size_t(tier - 1)];
        }
        d.wheel.lines = (long long)wheel.lines.size();

        s.tested += 1;
        s.tickets += d.wheel.lines;
        s.variance += varianceOf[int(candidates.size())];
        for (int t = 0; t < TierCount; ++t) {
            s.tiers[size_t(t)] += d.wheel.tiers[size_t(t)];
            s.prizeLines += d.wheel.tiers[size_t(t)];
            const double expected = double(d.wheel.lines) * ticketChance(t + 1);
            s.expectedTiers[size_t(t)] += expected;
            s.expectedPrizeLines += expected;
        }
        if (d.sets[Elimination].hits >= StrategyCondition.ifDrawn) {
            ++s.guaranteeDraws;
            s.guaranteeKept += best >= StrategyCondition.match ? 1 : 0;
        }
    }
    s.cost = s.tickets * TicketPrice;
    s.z = s.variance > 0 ? (double(s.prizeLines) - s.expectedPrizeLines) / std::sqrt(s.variance) : 0.0;
    s.p = s.variance > 0 ? twoSidedP(s.z) : 1.0;
    result.wheel = std::move(s);
}

} // namespace Backtest
