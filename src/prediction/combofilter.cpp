#include "prediction/combofilter.h"

#include "analysis/groupdivision.h"
#include "maintenance/ticket.h"
#include "prediction/backtest.h"
#include "game/bits.h"
#include "prediction/candidates.h"

#include <algorithm>
#include <cstdint>

namespace ComboFilter {

namespace {

constexpr int Highest = 43;
constexpr int MaxGroups = 11;
// The divisions a Groups filter can use; several may be used at once.
constexpr std::array<int, 4> Divisions{5, 6, 7, 11};

// The place of a division in Divisions.
size_t slotOf(int groups)
{
    return size_t(std::find(Divisions.begin(), Divisions.end(), groups) - Divisions.begin());
}

// Which group of a division each number 1 … 43 falls into.
struct Division
{
    int groups = 0;
    std::array<std::uint8_t, Highest + 1> groupOf{};
};

Division divisionOf(int groups)
{
    Division d;
    d.groups = groups;
    const GroupDivision *grouping = groups == 6 ? &GroupDivision::six()
                                    : groups == 7 ? &GroupDivision::seven()
                                    : groups == 11 ? &GroupDivision::eleven()
                                                   : nullptr;
    for (int n = 1; n <= Highest; ++n) {
        // Five groups are the decades of 5分割傾向分析: 01–09, 10–19, … 40–43.
        d.groupOf[size_t(n)] = std::uint8_t(grouping ? grouping->groupOf(n) : n / 10);
    }
    return d;
}

using Mask = std::uint64_t; // bit n for the number n

constexpr Mask bit(int n)
{
    return Mask(1) << n;
}

// The numbers lo … hi (clipped to 1 … 43).
constexpr Mask numbersFrom(int lo, int hi)
{
    lo = std::max(lo, 1);
    hi = std::min(hi, Highest);
    return lo > hi ? 0 : (bit(hi + 1) - 1) & ~(bit(lo) - 1);
}

struct Sets
{
    Mask all = numbersFrom(1, Highest);
    Mask odd = 0;
    Mask low = numbersFrom(1, LowLimit);
    std::array<Mask, 10> lastDigit{};
    Sets()
    {
        for (int n = 1; n <= Highest; ++n) {
            odd |= n % 2 ? bit(n) : 0;
            lastDigit[size_t(n % 10)] |= bit(n);
        }
    }
};
const Sets Numbers;

// The first five numbers of a line, ascending, and what the filters measure
// on them.
struct Prefix
{
    int sum = 0;
    int odd = 0;
    int low = 0;
    int consecutive = 0; // pairs n, n + 1
    int digitPairs = 0;  // pairs with the same last digit
    int previous = 0;
    int last = -1; // no number yet: 1 starts no pair
    std::array<std::uint8_t, 10> digits{};
    // The count in each group of each division filtered on (by slot).
    std::array<std::array<std::uint8_t, MaxGroups>, Divisions.size()> groups{};
};

struct Context
{
    Mask previousDraw = 0;
    // By slot; a division no filter uses has no groups.
    std::array<Division, Divisions.size()> divisions{};
    std::array<std::array<Mask, MaxGroups>, Divisions.size()> groupNumbers{};
};

Prefix extend(Prefix q, int n, const Context &c)
{
    q.sum += n;
    q.odd += n & 1;
    q.low += n <= LowLimit;
    q.consecutive += n == q.last + 1;
    q.digitPairs += q.digits[size_t(n % 10)]++;
    q.previous += (c.previousDraw & bit(n)) != 0;
    for (size_t s = 0; s < Divisions.size(); ++s) {
        if (c.divisions[s].groups)
            ++q.groups[s][c.divisions[s].groupOf[size_t(n)]];
    }
    q.last = n;
    return q;
}

// The sixth numbers n with which the line prefix + n passes the filter: a
// whole set of lines is judged at once, which keeps a walk over all
// C(43, 6) lines short.
Mask passing(const Filter &f, const Prefix &q, const Context &c)
{
    const auto within = [&](int v) { return v >= f.min && v <= f.max; };
    // The numbers that add one to a count, and those that add nothing.
    const auto split = [&](int count, Mask adding) {
        return (within(count + 1) ? adding : 0) | (within(count) ? Numbers.all & ~adding : 0);
    };
    switch (f.measure) {
    case Measure::Sum:
        return numbersFrom(f.min - q.sum, f.max - q.sum);
    case Measure::Odd:
        return split(q.odd, Numbers.odd);
    case Measure::Low:
        return split(q.low, Numbers.low);
    case Measure::Consecutive:
        return split(q.consecutive, numbersFrom(q.last + 1, q.last + 1));
    case Measure::LastDigit: {
        Mask pass = 0;
        for (size_t d = 0; d < 10; ++d)
            pass |= within(q.digitPairs + q.digits[d]) ? Numbers.lastDigit[d] : 0;
        return pass;
    }
    case Measure::Previous:
        return split(q.previous, c.previousDraw);
    case Measure::Groups: {
        // Each group's count with n in group g: the fullest and the emptiest
        // group follow from the counts without n.
        const size_t slot = slotOf(f.division);
        const std::array<std::uint8_t, MaxGroups> &counts = q.groups[slot];
        const int groups = c.divisions[slot].groups;
        int fullest = 0;
        int least = 255, leastTimes = 0, nextLeast = 255;
        for (int g = 0; g < groups; ++g) {
            const int k = counts[size_t(g)];
            fullest = std::max(fullest, k);
            if (k < least) {
                nextLeast = least;
                least = k;
                leastTimes = 1;
            } else if (k == least) {
                ++leastTimes;
            } else {
                nextLeast = std::min(nextLeast, k);
            }
        }
        Mask pass = 0;
        for (int g = 0; g < groups; ++g) {
            const int k = counts[size_t(g)] + 1;
            const int most = std::max(fullest, k);
            const int fewest = counts[size_t(g)] == least && leastTimes == 1 ? std::min(k, nextLeast) : least;
            pass |= most <= f.max && fewest >= f.min ? c.groupNumbers[slot][size_t(g)] : 0;
        }
        return pass;
    }
    }
    return 0;
}

// Calls leaf(line, prefix) for every five of pool (ascending numbers) that
// leaves room for a sixth.
template<int Depth, typename Leaf>
void walk(const std::vector<int> &pool, size_t from, Line &line, const Prefix &q, const Context &c, Leaf &leaf)
{
    for (size_t i = from; i + (5 - Depth) < pool.size(); ++i) {
        line[Depth] = pool[i];
        const Prefix next = extend(q, pool[i], c);
        if constexpr (Depth == 4)
            leaf(line, next);
        else
            walk<Depth + 1>(pool, i + 1, line, next, c, leaf);
    }
}

template<typename Leaf>
void forEachPrefix(const std::vector<int> &pool, const Context &c, Leaf &&leaf)
{
    Line line{};
    walk<0>(pool, 0, line, Prefix{}, c, leaf);
}

Mask numbersMask(const std::vector<int> &numbers)
{
    Mask mask = 0;
    for (int n : numbers)
        mask |= bit(n);
    return mask;
}

Mask numbersMask(const Line &line)
{
    return numbersMask(std::vector<int>(line.begin(), line.end()));
}

std::vector<int> allNumbers()
{
    std::vector<int> pool(Highest);
    for (int n = 1; n <= Highest; ++n)
        pool[size_t(n - 1)] = n;
    return pool;
}

} // namespace

bool isDivision(int groups)
{
    return slotOf(groups) < Divisions.size();
}

QString filterText(const Filter &f)
{
    const QString range = f.min == f.max ? QString::number(f.min) : QStringLiteral("%1～%2").arg(f.min).arg(f.max);
    switch (f.measure) {
    case Measure::Sum:
        return QStringLiteral("合計 %1").arg(range);
    case Measure::Odd:
        return QStringLiteral("奇数 %1個").arg(range);
    case Measure::Low:
        return QStringLiteral("低数字（1～%1） %2個").arg(LowLimit).arg(range);
    case Measure::Consecutive:
        return QStringLiteral("連番 %1組").arg(range);
    case Measure::LastDigit:
        return QStringLiteral("下一桁が同じ数字 %1組").arg(range);
    case Measure::Previous:
        return QStringLiteral("前回の本数字と共通 %1個").arg(range);
    case Measure::Groups:
        return QStringLiteral("%1分割の各グループ %2個").arg(f.division).arg(range);
    }
    return {};
}

std::vector<Line> pastDraws(const DrawHistoryStore &store)
{
    const DrawResults results(store.DrawRecordset);
    std::vector<Line> draws;
    for (int n = 1; n <= results.lastDrawNo(); ++n) {
        if (const DrawResults::Numbers *drawn = results.find(n)) {
            Line line = drawn->main;
            std::sort(line.begin(), line.end());
            draws.push_back(line);
        }
    }
    return draws;
}

std::optional<QString> problem(const Request &request, const std::vector<Line> &history)
{
    if (!request.numbers.empty()) {
        if (const std::optional<QString> wrong = Candidates::problem(request.numbers))
            return wrong;
    }
    for (const Filter &f : request.filters) {
        if (f.min > f.max)
            return QStringLiteral("%1: 範囲は小さい方から書いてください。").arg(filterText(f));
        if (f.measure == Measure::Groups && !isDivision(f.division))
            return QStringLiteral("分割は 5、6、7、11 のどれかです: %1").arg(f.division);
        if (f.measure == Measure::Previous && history.empty())
            return QStringLiteral("前回の当選数字がないため、「前回の本数字と共通」の条件は使えません。");
    }
    return std::nullopt;
}

Result run(const Request &request, const std::vector<Line> &history, const std::function<void(const Line &)> &sink)
{
    const std::vector<Filter> &filters = request.filters;
    Context context;
    for (const Filter &f : filters) {
        if (f.measure == Measure::Groups) {
            const size_t slot = slotOf(f.division);
            context.divisions[slot] = divisionOf(f.division);
            context.groupNumbers[slot] = {};
            for (int n = 1; n <= Highest; ++n)
                context.groupNumbers[slot][context.divisions[slot].groupOf[size_t(n)]] |= bit(n);
        }
    }
    if (!history.empty())
        context.previousDraw = numbersMask(history.back());

    Result result;
    for (const Filter &f : filters)
        result.filters.push_back({f, 0, 0, 0});

    // The past: each draw measured against the draw before it.
    for (size_t i = 0; i < history.size(); ++i) {
        Context past = context;
        past.previousDraw = i > 0 ? numbersMask(history[i - 1]) : 0;
        Prefix q;
        for (size_t k = 0; k < 5; ++k)
            q = extend(q, history[i][k], past);
        for (FilterStat &stat : result.filters) {
            if (stat.filter.measure == Measure::Previous && i == 0)
                continue;
            ++stat.pastDraws;
            stat.pastPassed += (passing(stat.filter, q, past) & bit(history[i][5])) != 0;
        }
    }

    // All lines once for each filter's exact chance; when there are no
    // candidates, the same walk gives the lines that pass them all.
    const bool candidates = !request.numbers.empty();
    std::vector<long long> fair(filters.size(), 0);
    const auto keep = [&](Line &line, Mask sixth) {
        result.count += bitCount(sixth);
        if (!sink)
            return;
        for (; sixth; sixth &= sixth - 1) {
            line[5] = __builtin_ctzll(sixth);
            sink(line);
        }
    };
    forEachPrefix(allNumbers(), context, [&](Line &line, const Prefix &q) {
        Mask every = numbersFrom(q.last + 1, Highest);
        for (size_t f = 0; f < filters.size(); ++f) {
            const Mask pass = passing(filters[f], q, context) & numbersFrom(q.last + 1, Highest);
            fair[f] += bitCount(pass);
            every &= pass;
        }
        if (!candidates)
            keep(line, every);
    });
    for (size_t f = 0; f < filters.size(); ++f)
        result.filters[f].fairLines = fair[f];

    if (!candidates) {
        result.considered = AllLines;
        return result;
    }
    std::vector<int> pool = request.numbers;
    std::sort(pool.begin(), pool.end());
    const Mask candidateNumbers = numbersMask(pool);
    result.considered = Backtest::choose(int(pool.size()), 6);
    forEachPrefix(pool, context, [&](Line &line, const Prefix &q) {
        Mask every = candidateNumbers & numbersFrom(q.last + 1, Highest);
        for (const Filter &f : filters)
            every &= passing(f, q, context);
        keep(line, every);
    });
    return result;
}

} // namespace ComboFilter
