#include "prediction/wheel.h"

#include "prediction/backtest.h"
#include "prediction/candidates.h"
#include "prediction/wheelsearch.h"

#include <algorithm>
#include <chrono>

namespace {

using WheelSearch::Mask;

constexpr int LineSize = 6;

// Work per move of the search: the m-sets whose standing one traded point
// changes. Past this many the search crawls, and a split does better.
constexpr long long SplitAbove = 2000;

// The candidates each line holds, as positions in numbers (ascending). A
// number that is no candidate cannot match one of the m drawn among them.
std::vector<Mask> toMasks(const std::vector<int> &numbers, const std::vector<Wheel::Line> &lines)
{
    std::vector<Mask> masks;
    masks.reserve(lines.size());
    for (const Wheel::Line &line : lines) {
        Mask mask = 0;
        for (int n : line) {
            const auto at = std::lower_bound(numbers.begin(), numbers.end(), n);
            if (at != numbers.end() && *at == n)
                mask |= Mask(1) << (at - numbers.begin());
        }
        masks.push_back(mask);
    }
    return masks;
}

Wheel::Line toLine(const std::vector<int> &numbers, Mask mask)
{
    Wheel::Line line{};
    size_t i = 0;
    for (; mask; mask &= mask - 1)
        line[i++] = numbers[size_t(__builtin_ctzll(mask))];
    return line;
}

Wheel::Stop stopOf(WheelSearch::Stop stop)
{
    switch (stop) {
    case WheelSearch::Stop::Floor:
        return Wheel::Stop::Minimal;
    case WheelSearch::Stop::Settled:
        return Wheel::Stop::Settled;
    case WheelSearch::Stop::TimeUp:
        return Wheel::Stop::TimeUp;
    case WheelSearch::Stop::Cancelled:
        break;
    }
    return Wheel::Stop::Cancelled;
}

// The parts a problem is split into: 1 when it is searched whole.
int partsFor(int v, const WheelCondition &c)
{
    if (c.ifDrawn == c.match)
        return 1;
    const long long perMove = Backtest::choose(LineSize - 1, c.match - 1) * Backtest::choose(v - LineSize - 1, c.ifDrawn - c.match);
    if (perMove <= SplitAbove)
        return 1;
    // m drawn among g parts put ⌈m / g⌉ in one of them; that must reach t.
    const int parts = (c.ifDrawn - 1) / (c.match - 1);
    return parts >= 2 && v >= parts * LineSize ? parts : 1;
}

} // namespace

std::optional<QString> Wheel::problem(const std::vector<int> &numbers, const WheelCondition &condition)
{
    if (const std::optional<QString> wrong = Candidates::problem(numbers))
        return wrong;
    const int v = int(numbers.size());
    const int m = condition.ifDrawn;
    const int t = condition.match;
    if (t < 3 || t > LineSize)
        return QStringLiteral("一致する数は 3 から 6 です: %1").arg(t);
    if (m < t || m > LineSize)
        return QStringLiteral("出る数は一致する数（%1）から 6 までです: %2").arg(t).arg(m);
    if (m > v)
        return QStringLiteral("候補が %1 個では、本数字が %2 個出ることはありません。").arg(v).arg(m);
    if (const long long least = lowestPossible(v, condition); least > MaxLines)
        return QStringLiteral("この条件の縮小ホイールは少なくとも %1 口（%2 円）になります。候補を減らすか、条件を緩めてください（上限 %3 口）。")
            .arg(least)
            .arg(least * PricePerLine)
            .arg(MaxLines);
    return std::nullopt;
}

long long Wheel::schoenheim(int v, int k, int t)
{
    long long bound = 1;
    // Innermost first: L(v − t + 1, k − t + 1, 1) = ⌈(v − t + 1) / (k − t + 1)⌉, then
    // L(v, k, t) = ⌈v / k · L(v − 1, k − 1, t − 1)⌉ outwards.
    for (int i = t - 1; i >= 0; --i) {
        const long long points = v - i;
        const long long size = k - i;
        bound = (points * bound + size - 1) / size;
    }
    return bound;
}

long long Wheel::lowestPossible(int v, const WheelCondition &c, Bound *bound)
{
    if (c.ifDrawn == c.match) {
        if (bound)
            *bound = Bound::Schoenheim;
        return schoenheim(v, LineSize, c.match);
    }
    // One line matches t of an m-set when it holds j ≥ t of its numbers.
    long long served = 0;
    for (int j = c.match; j <= std::min(LineSize, c.ifDrawn); ++j)
        served += Backtest::choose(LineSize, j) * Backtest::choose(v - LineSize, c.ifDrawn - j);
    const long long sets = Backtest::choose(v, c.ifDrawn);
    if (bound)
        *bound = Bound::Counting;
    return std::max<long long>(1, (sets + served - 1) / served);
}

std::optional<std::vector<int>> Wheel::firstUnmatched(const std::vector<int> &numbers, const WheelCondition &condition,
                                                       const std::vector<Line> &lines)
{
    std::vector<int> sorted = numbers;
    std::sort(sorted.begin(), sorted.end());
    const std::optional<Mask> missed =
        WheelSearch::firstUncovered({int(sorted.size()), condition.ifDrawn, condition.match}, toMasks(sorted, lines));
    if (!missed)
        return std::nullopt;
    std::vector<int> drawn;
    for (Mask m = *missed; m; m &= m - 1)
        drawn.push_back(sorted[size_t(__builtin_ctzll(m))]);
    return drawn;
}

Wheel Wheel::build(const WheelRequest &request, const std::function<bool(const WheelProgress &)> &progress)
{
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(); };

    Wheel wheel;
    wheel.numbers = request.numbers;
    std::sort(wheel.numbers.begin(), wheel.numbers.end());
    wheel.condition = request.condition;
    wheel.seed = request.seed;
    const int v = int(wheel.numbers.size());
    wheel.lowerBound = lowestPossible(v, request.condition, &wheel.bound);
    wheel.parts = partsFor(v, request.condition);

    // Part p holds the candidates from first[p] to first[p + 1]; each is
    // covered on its own (every t of its numbers in a line).
    std::vector<int> first{0};
    for (int p = 1; p <= wheel.parts; ++p)
        first.push_back(v * p / wheel.parts);
    std::vector<Mask> masks;
    wheel.stop = Stop::Minimal;
    for (int p = 0; p < wheel.parts; ++p) {
        const int size = first[size_t(p + 1)] - first[size_t(p)];
        const WheelSearch::Problem part =
            wheel.parts == 1 ? WheelSearch::Problem{v, request.condition.ifDrawn, request.condition.match}
                             : WheelSearch::Problem{size, request.condition.match, request.condition.match};
        WheelSearch::Limits limits;
        limits.seconds = std::max(0.0, (request.seconds - elapsed()) / (wheel.parts - p));
        limits.moves = request.moves > 0 ? std::max<long long>(1, request.moves / wheel.parts) : 0;
        limits.seed = request.seed + std::uint64_t(p);
        limits.floor = wheel.parts == 1 ? wheel.lowerBound : schoenheim(size, LineSize, request.condition.match);
        const long long done = (long long)masks.size();
        if (progress) {
            limits.progress = [&](const WheelSearch::Status &status) {
                const bool last = p == wheel.parts - 1;
                return progress({last && status.bestLines > 0 ? int(done) + status.bestLines : 0, wheel.lowerBound,
                                 elapsed(), request.seconds});
            };
        }
        const WheelSearch::Outcome outcome = WheelSearch::search(part, limits);
        const Stop stop = stopOf(outcome.stop);
        // The whole is as good as its weakest part: cancelled, then timed out, then settled.
        if (int(stop) > int(wheel.stop))
            wheel.stop = stop;
        if (outcome.lines.empty()) {
            masks.clear();
            break;
        }
        for (Mask line : outcome.lines)
            masks.push_back(line << first[size_t(p)]);
    }
    if (wheel.parts > 1 && wheel.stop == Stop::Minimal)
        wheel.stop = (long long)masks.size() <= wheel.lowerBound ? Stop::Minimal : Stop::Settled;

    for (Mask line : masks)
        wheel.lines.push_back(toLine(wheel.numbers, line));
    std::sort(wheel.lines.begin(), wheel.lines.end());
    // The promise is checked, never assumed: every m of the candidates.
    wheel.verified = !wheel.lines.empty()
                     && !WheelSearch::firstUncovered({v, request.condition.ifDrawn, request.condition.match}, masks);
    wheel.seconds = elapsed();
    return wheel;
}

Wheel Wheel::movedTo(const std::vector<int> &otherNumbers) const
{
    Wheel moved = *this;
    moved.numbers = otherNumbers;
    std::sort(moved.numbers.begin(), moved.numbers.end());
    for (Line &line : moved.lines) {
        for (int &n : line)
            n = moved.numbers[size_t(std::lower_bound(numbers.begin(), numbers.end(), n) - numbers.begin())];
        std::sort(line.begin(), line.end());
    }
    std::sort(moved.lines.begin(), moved.lines.end());
    return moved;
}

QString Wheel::tierText(int match)
{
    switch (match) {
    case 6:
        return QStringLiteral("1等");
    case 5:
        return QStringLiteral("3等");
    case 4:
        return QStringLiteral("4等");
    default:
        return QStringLiteral("5等");
    }
}

QString Wheel::guaranteeText(const WheelCondition &c)
{
    return QStringLiteral("候補から本数字が%1個出れば、少なくとも1口で%2個一致（%3）を保証")
        .arg(c.ifDrawn)
        .arg(c.match)
        .arg(tierText(c.match));
}

QString Wheel::memoText(const WheelCondition &c)
{
    return QStringLiteral("縮小ホイール %1").arg(guaranteeText(c));
}
