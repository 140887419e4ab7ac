#include "prediction/combofilter.h"

#include "analysis/groupdivision.h"
#include "maintenance/ticket.h"
#include "prediction/backtest.h"
#include "prediction/candidates.h"

#include <algorithm>
#include <cstdint>

namespace ComboFilter {

namespace {

constexpr int Highest = 43;
constexpr int MaxGroups = 11;

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

// What the filters measure, for a line built one number at a time in
// ascending order.
struct Partial
{
    int sum = 0;
    int odd = 0;
    int low = 0;
    int consecutive = 0;
    int digitPairs = 0;
    int previous = 0;
    int last = -1;
    int groupsHit = 0;
    int groupMax = 0;
    std::array<std::uint8_t, 10> digits{};
    std::array<std::uint8_t, MaxGroups> groups{};
};

struct Context
{
    std::uint64_t previousDraw = 0; // bit n for each main number n of the last draw
    const Division *division = nullptr;
};

Partial extend(Partial q, int n, const Context &c)
{
    q.sum += n;
    q.odd += n & 1;
    q.low += n <= LowLimit;
    q.consecutive += n == q.last + 1;
    q.digitPairs += q.digits[size_t(n % 10)]++;
    q.previous += int((c.previousDraw >> n) & 1);
    if (c.division) {
        const int count = ++q.groups[c.division->groupOf[size_t(n)]];
        q.groupsHit += count == 1;
        q.groupMax = std::max(q.groupMax, count);
    }
    q.last = n;
    return q;
}

bool passes(const Filter &f, const Partial &q, const Context &c)
{
    const auto within = [&](int v) { return v >= f.min && v <= f.max; };
    switch (f.measure) {
    case Measure::Sum:
        return within(q.sum);
    case Measure::Odd:
        return within(q.odd);
    case Measure::Low:
        return within(q.low);
    case Measure::Consecutive:
        return within(q.consecutive);
    case Measure::LastDigit:
        return within(q.digitPairs);
    case Measure::Previous:
        return within(q.previous);
    case Measure::Groups: {
        if (q.groupMax > f.max)
            return false;
        int least = 0;
        if (q.groupsHit == c.division->groups)
            least = *std::min_element(q.groups.begin(), q.groups.begin() + c.division->groups);
        return least >= f.min;
    }
    }
    return false;
}

// Calls leaf(line, partial) for every six of pool (ascending numbers).
template<int Depth, typename Leaf>
void walk(const std::vector<int> &pool, size_t from, Line &line, const Partial &q, const Context &c, Leaf &leaf)
{
    for (size_t i = from; i + (5 - Depth) < pool.size(); ++i) {
        line[Depth] = pool[i];
        const Partial next = extend(q, pool[i], c);
        if constexpr (Depth == 5)
            leaf(line, next);
        else
            walk<Depth + 1>(pool, i + 1, line, next, c, leaf);
    }
}

template<typename Leaf>
void forEachLine(const std::vector<int> &pool, const Context &c, Leaf &&leaf)
{
    Line line{};
    walk<0>(pool, 0, line, Partial{}, c, leaf);
}

std::uint64_t numbersMask(const Line &numbers)
{
    std::uint64_t mask = 0;
    for (int n : numbers)
        mask |= std::uint64_t(1) << n;
    return mask;
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
    return groups == 5 || groups == 6 || groups == 7 || groups == 11;
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
    int divisions = 0;
    for (const Filter &f : request.filters) {
        if (f.min > f.max)
            return QStringLiteral("%1: 範囲は小さい方から書いてください。").arg(filterText(f));
        if (f.measure == Measure::Groups && !isDivision(f.division))
            return QStringLiteral("分割は 5、6、7、11 のどれかです: %1").arg(f.division);
        if (f.measure == Measure::Groups && ++divisions > 1)
            return QStringLiteral("分割の条件は一つだけ指定できます。");
        if (f.measure == Measure::Previous && history.empty())
            return QStringLiteral("前回の当選数字がないため、「前回の本数字と共通」の条件は使えません。");
    }
    return std::nullopt;
}

Result run(const Request &request, const std::vector<Line> &history, const std::function<void(const Line &)> &sink)
{
    const std::vector<Filter> &filters = request.filters;
    Division division;
    Context context;
    for (const Filter &f : filters) {
        if (f.measure == Measure::Groups) {
            division = divisionOf(f.division);
            context.division = &division;
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
        Partial q;
        for (int n : history[i])
            q = extend(q, n, past);
        for (FilterStat &stat : result.filters) {
            if (stat.filter.measure == Measure::Previous && i == 0)
                continue;
            ++stat.pastDraws;
            stat.pastPassed += passes(stat.filter, q, past);
        }
    }

    // All lines once for each filter's exact chance; when there are no
    // candidates, the same walk gives the lines that pass them all.
    const std::vector<int> all = allNumbers();
    const bool candidates = !request.numbers.empty();
    std::vector<long long> fair(filters.size(), 0);
    const auto keep = [&](const Line &line) {
        ++result.count;
        if (sink)
            sink(line);
    };
    forEachLine(all, context, [&](const Line &line, const Partial &q) {
        bool every = true;
        for (size_t f = 0; f < filters.size(); ++f) {
            const bool pass = passes(filters[f], q, context);
            fair[f] += pass;
            every = every && pass;
        }
        if (every && !candidates)
            keep(line);
    });
    for (size_t f = 0; f < filters.size(); ++f)
        result.filters[f].fairLines = fair[f];

    if (!candidates) {
        result.considered = AllLines;
        return result;
    }
    std::vector<int> pool = request.numbers;
    std::sort(pool.begin(), pool.end());
    result.considered = Backtest::choose(int(pool.size()), 6);
    forEachLine(pool, context, [&](const Line &line, const Partial &q) {
        if (std::all_of(filters.begin(), filters.end(), [&](const Filter &f) { return passes(f, q, context); }))
            keep(line);
    });
    return result;
}

} // namespace ComboFilter
