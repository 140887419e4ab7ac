#include "prediction/wheelsearch.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>

namespace WheelSearch {

namespace {

constexpr int LineSize = 6;
constexpr int MaxPoints = 43;

// C(n, k) for n ≤ 43, k ≤ 6: every count of point sets the search ranks.
constexpr auto Binomials = [] {
    std::array<std::array<std::uint32_t, LineSize + 1>, MaxPoints + 1> c{};
    for (int n = 0; n <= MaxPoints; ++n) {
        c[size_t(n)][0] = 1;
        for (int k = 1; k <= LineSize; ++k)
            c[size_t(n)][size_t(k)] = n == 0 ? 0 : c[size_t(n - 1)][size_t(k - 1)] + c[size_t(n - 1)][size_t(k)];
    }
    return c;
}();

std::uint32_t binomial(int n, int k)
{
    return Binomials[size_t(n)][size_t(k)];
}

Mask bit(int point)
{
    return Mask(1) << point;
}

int lowestPoint(Mask x)
{
    return __builtin_ctzll(x);
}

// splitmix64: small, fast, and the same numbers on every platform (the
// standard library's distributions are not), so that a seed repeats a wheel.
class Random
{
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 … n − 1
    std::uint64_t below(std::uint64_t n) { return next() % n; }
    double unit() { return double(next() >> 11) * 0x1.0p-53; }
    // One of the points of x, which must not be empty.
    int pointOf(Mask x)
    {
        for (std::uint64_t skip = below(std::uint64_t(bitCount(x))); skip > 0; --skip)
            x &= x - 1;
        return lowestPoint(x);
    }
    // k of the points of x, which holds at least k.
    Mask pointsOf(Mask x, int k)
    {
        Mask chosen = 0;
        for (int i = 0; i < k; ++i) {
            const Mask p = bit(pointOf(x));
            chosen |= p;
            x &= ~p;
        }
        return chosen;
    }

private:
    std::uint64_t m_state;
};

// Calls f with every k-point subset of set.
template<typename F>
void forEachSubset(Mask set, int k, F &&f)
{
    if (k == 0) {
        f(Mask(0));
        return;
    }
    std::array<int, 64> points; // only the first n are read
    int n = 0;
    for (Mask s = set; s; s &= s - 1)
        points[size_t(n++)] = lowestPoint(s);
    if (k > n)
        return;
    std::array<int, LineSize + 1> index;
    for (int i = 0; i < k; ++i)
        index[size_t(i)] = i;
    while (true) {
        Mask subset = 0;
        for (int i = 0; i < k; ++i)
            subset |= bit(points[size_t(index[size_t(i)])]);
        f(subset);
        int i = k - 1;
        while (i >= 0 && index[size_t(i)] == n - k + i)
            --i;
        if (i < 0)
            return;
        ++index[size_t(i)];
        for (int j = i + 1; j < k; ++j)
            index[size_t(j)] = index[size_t(j - 1)] + 1;
    }
}

// The positions (0 … 5, ascending) of every k of a line's six points.
struct Patterns
{
    std::array<std::vector<std::array<std::uint8_t, LineSize>>, LineSize + 1> ofSize;
    Patterns()
    {
        for (unsigned bits = 0; bits < (1u << LineSize); ++bits) {
            std::array<std::uint8_t, LineSize> at{};
            int k = 0;
            for (int q = 0; q < LineSize; ++q) {
                if (bits & (1u << q))
                    at[size_t(k++)] = std::uint8_t(q);
            }
            ofSize[size_t(k)].push_back(at);
        }
    }
};

const Patterns &patterns()
{
    static const Patterns table;
    return table;
}

// A line trading point x (which leaves) for point y (which comes in).
struct Move
{
    size_t index = 0;
    int x = -1;
    int y = -1;
    long long score = 0; // weight of the targets left unmet less that of those met
    int delta = 0;       // targets left unmet less those met
};

// Which points may not come back into which line, and until which move: a
// point just traded out stays out for a while, so the search does not undo
// its own steps.
class Tabu
{
public:
    void reset(size_t lines) { m_until.assign(lines * 64, 0); }
    bool forbids(size_t line, int point, long long now) const { return m_until[line * 64 + size_t(point)] > now; }
    void forbid(size_t line, int point, long long until) { m_until[line * 64 + size_t(point)] = until; }

private:
    std::vector<long long> m_until;
};

// The lines and, for every m-point set (a "target", numbered in the
// combinatorial number system), how many lines meet it in t points, with the
// targets no line meets kept in a list for drawing one at random. Each
// target has a weight that grows while it stays unmet at a dead end, so that
// the search turns to the targets that are hard to meet.
class Cover
{
public:
    explicit Cover(const Problem &p)
        : m_points(p.points), m_m(p.ifDrawn), m_t(p.match), m_all(bit(p.points) - 1),
          m_count(binomial(p.points, p.ifDrawn), 0), m_weight(m_count.size(), 1), m_where(m_count.size()),
          m_uncovered(m_count.size())
    {
        for (std::uint32_t r = 0; r < m_count.size(); ++r) {
            m_where[r] = r;
            m_uncovered[r] = r;
        }
    }

    Mask all() const { return m_all; }
    const std::vector<Mask> &lines() const { return m_lines; }
    // Starts over from these lines, every target weighing one.
    void assign(const std::vector<Mask> &lines)
    {
        std::fill(m_count.begin(), m_count.end(), 0);
        std::fill(m_weight.begin(), m_weight.end(), 1);
        m_uncovered.resize(m_count.size());
        for (std::uint32_t r = 0; r < m_count.size(); ++r) {
            m_where[r] = r;
            m_uncovered[r] = r;
        }
        m_lines.clear();
        for (Mask line : lines)
            add(line);
    }
    size_t uncoveredCount() const { return m_uncovered.size(); }
    Mask uncovered(size_t i) const { return unrank(m_uncovered[i]); }

    // Targets no line meets yet that line would meet.
    int gain(Mask line) const
    {
        int n = 0;
        forEachMet(line, [&](std::uint32_t r) { n += m_count[r] == 0; });
        return n;
    }
    // Targets only the line at index meets.
    int loss(size_t index) const
    {
        int n = 0;
        forEachMet(m_lines[index], [&](std::uint32_t r) { n += m_count[r] == 1; });
        return n;
    }
    void add(Mask line)
    {
        forEachMet(line, [&](std::uint32_t r) { met(r); });
        m_lines.push_back(line);
    }
    void remove(size_t index)
    {
        forEachMet(m_lines[index], [&](std::uint32_t r) { unmet(r); });
        m_lines[index] = m_lines.back();
        m_lines.pop_back();
    }
    void move(const Move &mv)
    {
        forEachChanged(m_lines[mv.index], mv.x, mv.y, [&](std::uint32_t lost, std::uint32_t gained) {
            unmet(lost);
            met(gained);
        });
        m_lines[mv.index] = (m_lines[mv.index] & ~bit(mv.x)) | bit(mv.y);
    }
    // Every target still unmet weighs one more.
    void raiseWeights()
    {
        for (std::uint32_t r : m_uncovered) {
            if (++m_weight[r] >= (1u << 30)) {
                for (std::uint32_t &w : m_weight)
                    w = (w + 1) / 2;
            }
        }
    }

    // The best move that meets target through a line meeting it in t − 1
    // points. A forbidden move is still taken when it leaves fewer targets
    // unmet than ever at this size (record). Nothing when there is none.
    std::optional<Move> bestMove(Mask target, const Tabu &tabu, long long now, long long record, Random &random) const
    {
        std::optional<Move> best;
        std::uint64_t ties = 0;
        const auto consider = [&](const Move &mv) {
            if (tabu.forbids(mv.index, mv.y, now) && (long long)m_uncovered.size() + mv.delta >= record)
                return;
            if (!best || mv.score < best->score) {
                best = mv;
                ties = 1;
            } else if (mv.score == best->score && random.below(++ties) == 0) {
                best = mv;
            }
        };
        for (size_t i = 0; i < m_lines.size(); ++i) {
            if (bitCount(m_lines[i] & target) != m_t - 1)
                continue;
            if (m_m == m_t) {
                scoreCoveringLine(i, target, consider);
                continue;
            }
            for (Mask xs = m_lines[i] & ~target; xs; xs &= xs - 1) {
                for (Mask ys = target & ~m_lines[i]; ys; ys &= ys - 1) {
                    Move mv{i, lowestPoint(xs), lowestPoint(ys)};
                    forEachChanged(m_lines[i], mv.x, mv.y, [&](std::uint32_t lost, std::uint32_t gained) {
                        if (m_count[lost] == 1) {
                            mv.score += m_weight[lost];
                            ++mv.delta;
                        }
                        if (m_count[gained] == 0) {
                            mv.score -= m_weight[gained];
                            --mv.delta;
                        }
                    });
                    consider(mv);
                }
            }
        }
        return best;
    }

private:
    // When m = t a target is met only by a line that holds it, and one point
    // y of the target is missing from the line: all moves of the line are
    // scored from its C(6, t) t-sets and C(6, t − 1) (t − 1)-sets, instead of
    // enumerating the changed targets of each move.
    template<typename Consider>
    void scoreCoveringLine(size_t index, Mask target, Consider &consider) const
    {
        const Mask line = m_lines[index];
        const int y = lowestPoint(target & ~line);
        std::array<int, LineSize> point{};
        {
            int q = 0;
            for (Mask s = line; s; s &= s - 1)
                point[size_t(q++)] = lowestPoint(s);
        }
        // Lost when x leaves: the t-sets holding x met by this line alone.
        std::array<long long, LineSize> lostScore{};
        std::array<int, LineSize> lostCount{};
        for (const auto &at : patterns().ofSize[size_t(m_t)]) {
            std::uint32_t r = 0;
            for (int k = 0; k < m_t; ++k)
                r += binomial(point[at[size_t(k)]], k + 1);
            if (m_count[r] != 1)
                continue;
            for (int k = 0; k < m_t; ++k) {
                lostScore[at[size_t(k)]] += m_weight[r];
                ++lostCount[at[size_t(k)]];
            }
        }
        // Met when y comes in: y with t − 1 of the line's points but x, unmet so far.
        long long gainedScore = 0;
        int gainedCount = 0;
        std::array<long long, LineSize> gainedWithScore{};
        std::array<int, LineSize> gainedWithCount{};
        for (const auto &at : patterns().ofSize[size_t(m_t - 1)]) {
            std::uint32_t r = 0;
            int place = 1;
            bool placed = false;
            for (int k = 0; k < m_t - 1; ++k) {
                const int q = point[at[size_t(k)]];
                if (!placed && y < q) {
                    r += binomial(y, place++);
                    placed = true;
                }
                r += binomial(q, place++);
            }
            if (!placed)
                r += binomial(y, place);
            if (m_count[r] != 0)
                continue;
            gainedScore += m_weight[r];
            ++gainedCount;
            for (int k = 0; k < m_t - 1; ++k) {
                gainedWithScore[at[size_t(k)]] += m_weight[r];
                ++gainedWithCount[at[size_t(k)]];
            }
        }
        for (size_t q = 0; q < size_t(LineSize); ++q) {
            if (target & bit(point[q]))
                continue;
            Move mv{index, point[q], y};
            mv.score = lostScore[q] - (gainedScore - gainedWithScore[q]);
            mv.delta = lostCount[q] - (gainedCount - gainedWithCount[q]);
            consider(mv);
        }
    }

    std::uint32_t rank(Mask target) const
    {
        std::uint32_t r = 0;
        for (int i = 1; target; target &= target - 1, ++i)
            r += binomial(lowestPoint(target), i);
        return r;
    }
    Mask unrank(std::uint32_t r) const
    {
        Mask target = 0;
        int p = m_points;
        for (int i = m_m; i >= 1; --i) {
            do
                --p;
            while (binomial(p, i) > r);
            r -= binomial(p, i);
            target |= bit(p);
        }
        return target;
    }

    // Every target the line meets in t points or more.
    template<typename F>
    void forEachMet(Mask line, F &&f) const
    {
        const Mask outside = m_all & ~line;
        for (int j = m_t; j <= std::min(LineSize, m_m); ++j) {
            forEachSubset(line, j, [&](Mask in) {
                forEachSubset(outside, m_m - j, [&](Mask out) { f(rank(in | out)); });
            });
        }
    }
    // The targets a line stops meeting (they hold x and exactly t − 1 other
    // points of the line, not y) paired with those it starts meeting (the
    // same with y for x) when it trades x for y.
    template<typename F>
    void forEachChanged(Mask line, int x, int y, F &&f) const
    {
        const Mask kept = line & ~bit(x);
        const Mask outside = m_all & ~line & ~bit(y);
        forEachSubset(kept, m_t - 1, [&](Mask in) {
            forEachSubset(outside, m_m - m_t, [&](Mask out) { f(rank(in | out | bit(x)), rank(in | out | bit(y))); });
        });
    }

    void met(std::uint32_t r)
    {
        if (m_count[r]++ == 0) {
            const std::uint32_t last = m_uncovered.back();
            m_uncovered[m_where[r]] = last;
            m_where[last] = m_where[r];
            m_uncovered.pop_back();
        }
    }
    void unmet(std::uint32_t r)
    {
        if (--m_count[r] == 0) {
            m_where[r] = std::uint32_t(m_uncovered.size());
            m_uncovered.push_back(r);
        }
    }

    int m_points;
    int m_m;
    int m_t;
    Mask m_all;
    std::vector<Mask> m_lines;
    std::vector<std::uint32_t> m_count;
    std::vector<std::uint32_t> m_weight;
    std::vector<std::uint32_t> m_where; // position in m_uncovered while the count is 0
    std::vector<std::uint32_t> m_uncovered;
};

using Clock = std::chrono::steady_clock;

// The clock, the time budget and the caller's progress display, asked only
// every so many steps so that they cost nothing next to the search.
class Watch
{
public:
    explicit Watch(const Limits &limits) : m_limits(limits), m_start(Clock::now()), m_lastLook(m_start) {}

    double elapsed() const { return std::chrono::duration<double>(Clock::now() - m_start).count(); }
    // A search bounded by moves has no clock to run out.
    bool timeUp() const { return m_limits.moves <= 0 && elapsed() >= m_limits.seconds; }
    // True once every so many steps: the clock is read about once a
    // millisecond whether a step takes a microsecond (a small wheel) or a
    // good part of a second (a line dropped from thousands over 43 numbers).
    bool due()
    {
        if (++m_steps < m_stride)
            return false;
        m_steps = 0;
        const Clock::time_point now = Clock::now();
        const Clock::duration gap = now - m_lastLook;
        m_lastLook = now;
        if (gap < std::chrono::milliseconds(1) && m_stride < MaxStride)
            m_stride *= 2;
        else if (gap > std::chrono::milliseconds(4) && m_stride > 1)
            m_stride /= 2;
        return true;
    }
    // False when the caller cancels.
    bool report(int bestLines)
    {
        if (!m_limits.progress)
            return true;
        const Clock::time_point now = Clock::now();
        if (now < m_nextReport)
            return true;
        m_nextReport = now + std::chrono::milliseconds(50);
        return m_limits.progress({bestLines, elapsed()});
    }

private:
    static constexpr long long MaxStride = 256;
    const Limits &m_limits;
    Clock::time_point m_start;
    Clock::time_point m_nextReport{};
    Clock::time_point m_lastLook;
    long long m_steps = 0;
    long long m_stride = 1;
};

// Lines are added until every target is met, each the best of a few random
// lines through a target still unmet. Once the time is up each is the first
// such line: there is no wheel at all before every target is met, and over
// many candidates the choosing would take minutes.
bool greedy(Cover &cover, const Problem &p, Random &random, Watch &watch)
{
    int samples = 32;
    while (cover.uncoveredCount() > 0) {
        if (watch.due()) {
            if (!watch.report(0))
                return false;
            if (watch.timeUp())
                samples = 1;
        }
        const Mask target = cover.uncovered(random.below(cover.uncoveredCount()));
        Mask best = 0;
        int bestGain = -1;
        for (int s = 0; s < samples; ++s) {
            const Mask core = random.pointsOf(target, p.match);
            const Mask line = core | random.pointsOf(cover.all() & ~core, LineSize - p.match);
            const int g = samples > 1 ? cover.gain(line) : 0;
            if (g > bestGain) {
                bestGain = g;
                best = line;
            }
        }
        cover.add(best);
    }
    return true;
}

// Drops the line whose loss leaves the fewest targets unmet.
void dropWeakest(Cover &cover)
{
    size_t weakest = 0;
    int least = -1;
    for (size_t i = 0; i < cover.lines().size(); ++i) {
        const int loss = cover.loss(i);
        if (least < 0 || loss < least) {
            least = loss;
            weakest = i;
        }
    }
    cover.remove(weakest);
}

// Every line when every one of the six drawn numbers must be matched.
std::vector<Mask> everyLine(const Problem &p)
{
    std::vector<Mask> lines;
    forEachSubset(bit(p.points) - 1, LineSize, [&](Mask line) { lines.push_back(line); });
    return lines;
}

} // namespace

Outcome search(const Problem &p, const Limits &limits)
{
    Outcome outcome;
    if (p.match == LineSize) {
        outcome.lines = everyLine(p);
        outcome.stop = Stop::Floor;
        return outcome;
    }
    Watch watch(limits);
    Random random(limits.seed);
    Cover cover(p);
    if (!greedy(cover, p, random, watch)) {
        outcome.stop = Stop::Cancelled;
        return outcome;
    }
    outcome.lines = cover.lines();
    if (watch.timeUp()) {
        outcome.stop = Stop::TimeUp;
        return outcome;
    }

    // Local search on the weighted unmet targets: each step takes an unmet
    // target and makes the best trade of one point in a line that meets it in
    // t − 1 points, even a trade that makes things worse; at such a dead end
    // the unmet targets weigh more. Whenever every target is met the set is
    // kept and its weakest line dropped, and the search repairs the gaps.
    // A repair that gets nowhere starts again from the smallest set with
    // another line dropped and fresh weights. The numbers were tuned on
    // (18, 3, 3), (16, 4, 4) and (12, 5, 5): shorter tabu terms and restarts
    // stall less often there than longer ones.
    constexpr long long Tenure = 3;
    constexpr long long RestartAfter = 50'000;     // moves without a smaller set
    constexpr long long SettleAfter = 12 * RestartAfter;
    Tabu tabu;
    tabu.reset(cover.lines().size());
    long long record = (long long)cover.uncoveredCount();
    long long sinceBest = 0;
    while (true) {
        // Asked before every step, a drop as well as a move: over many
        // candidates a complete set is found again after a few moves, and
        // each drop weighs every line.
        if (watch.due()) {
            if (!watch.report(int(outcome.lines.size()))) {
                outcome.stop = Stop::Cancelled;
                return outcome;
            }
            if (watch.timeUp()) {
                outcome.stop = Stop::TimeUp;
                return outcome;
            }
        }
        if (cover.uncoveredCount() == 0) {
            outcome.lines = cover.lines();
            sinceBest = 0;
            if ((long long)outcome.lines.size() <= limits.floor) {
                outcome.stop = Stop::Floor;
                return outcome;
            }
            dropWeakest(cover);
            tabu.reset(cover.lines().size());
            record = (long long)cover.uncoveredCount();
            continue;
        }
        ++outcome.moves;
        if (limits.moves > 0 && outcome.moves >= limits.moves) {
            outcome.stop = Stop::TimeUp;
            return outcome;
        }
        if (++sinceBest > SettleAfter) {
            outcome.stop = Stop::Settled;
            return outcome;
        }
        if (sinceBest % RestartAfter == 0) {
            cover.assign(outcome.lines);
            cover.remove(size_t(random.below(cover.lines().size())));
            tabu.reset(cover.lines().size());
            record = (long long)cover.uncoveredCount();
            continue;
        }
        const Mask target = cover.uncovered(random.below(cover.uncoveredCount()));
        std::optional<Move> mv = cover.bestMove(target, tabu, outcome.moves, record, random);
        if (!mv) {
            // Every line is far from the target or forbidden: a random trade.
            const size_t index = size_t(random.below(cover.lines().size()));
            const Mask line = cover.lines()[index];
            mv = Move{index, random.pointOf(line & ~target), random.pointOf(target & ~line), 0, 0};
        }
        if (mv->score >= 0)
            cover.raiseWeights();
        cover.move(*mv);
        tabu.forbid(mv->index, mv->x, outcome.moves + Tenure + (long long)random.below(Tenure + 1));
        record = std::min(record, (long long)cover.uncoveredCount());
    }
}

std::optional<Mask> firstUncovered(const Problem &p, const std::vector<Mask> &lines)
{
    size_t lastHit = 0;
    const auto met = [&](Mask part) {
        for (size_t k = 0; k < lines.size(); ++k) {
            const size_t i = (lastHit + k) % lines.size();
            if (bitCount(lines[i] & part) >= p.match) {
                lastHit = i;
                return true;
            }
        }
        return false;
    };
    std::optional<Mask> found;
    // Points are added in increasing order; once a part is met, so is every
    // set that contains it.
    const auto visit = [&](const auto &self, int from, int size, Mask part) -> void {
        if (size >= p.match && met(part))
            return;
        if (size == p.ifDrawn) {
            found = part;
            return;
        }
        for (int q = from; q <= p.points - (p.ifDrawn - size) && !found; ++q)
            self(self, q + 1, size + 1, part | bit(q));
    };
    visit(visit, 0, 0, 0);
    return found;
}

} // namespace WheelSearch
