#pragma once

#include "popularity/popularitymodel.h"

#include <optional>
#include <vector>

// What a line is expected to pay back: no choice of numbers changes the
// chance of a tier, but a pari-mutuel tier's pool is shared with everyone
// who hit it, so a line others also play pays less when it wins.
namespace Popularity {

// What the tiers typically hold: medians over the last draws of a history.
// The expected return is for a draw with nothing carried over into 1等:
// 1等's pool is its own share of the fund (what it paid plus what it added
// to the carry-over), and a winner's share of it is capped at the largest
// 1等 prize per line paid in those draws when nothing was carried in.
struct TypicalPools
{
    int draws = 0; // the draws the medians are taken over
    int firstDraw = 0;
    int lastDraw = 0;
    double fund = 0;            // 円
    std::vector<double> pools;  // per tier, 1等 first; 0 for a fixed tier and where no draw tells
    std::optional<double> cap;  // 1等 per line; nothing when no such draw paid it
};

// Over the last `recent` draws of the history before index end (all when
// end is past the last).
TypicalPools typicalPools(const PrizeHistory &history, int recent = 100, size_t end = size_t(-1));

// E[1 / (1 + X)] for the co-winners X of a line: negative binomial with mean
// mu and size theta, Poisson ((1 − e^−μ)/μ) when theta is infinite.
double shareOfPool(double mu, double theta);

// The expected return of lines under a fitted model, typical pools and the
// draw before the one played (for the pattern of its numbers).
class ReturnModel
{
public:
    ReturnModel(const Fit &fit, const TypicalPools &pools, LineMask previousDraw);

    const GameRules &rules() const { return m_rules; }
    const LinePatterns &patterns() const { return m_patterns; }
    // The line's popularity score (popularitymodel.h).
    double score(LineMask line) const;
    // 円 per line bought, summed over the tiers: each tier's chance times
    // the prize expected when the line wins it. Taken from a fine table of
    // returnAt over every score a line can have (within a millionth).
    double expectedReturn(LineMask line) const;
    // The same per tier (1等 first).
    std::vector<double> tierReturns(LineMask line) const;
    // The expected winners of each tier if the line were drawn.
    std::vector<double> expectedWinners(LineMask line) const;
    // The same, computed for a score.
    double returnAt(double score) const;
    // Whether every pattern of the line stays within what the fitted draws
    // showed, so that its return is not an extrapolation.
    bool withinData(LineMask line) const;

    // The average of expectedReturn over every line of the game: what a line
    // picked at random is expected to pay. Computed on first use.
    double average() const;
    double ratio(LineMask line) const { return expectedReturn(line) / average(); }

private:
    double tierReturn(int tier, double score) const;

    const GameRules &m_rules;
    std::vector<double> m_chances; // per tier
    LinePatterns m_patterns;
    Fit m_fit;
    TypicalPools m_pools;
    LineMask m_previous;
    double m_lowest = 0; // the table's first score
    double m_step = 0;
    std::vector<double> m_table;
    mutable std::optional<double> m_average;
};

// Every line of a game as a mask, in the order of its numbers (1 2 3 4 5 6,
// 1 2 3 4 5 7, …).
template<class Visit>
void forEachLine(const GameRules &rules, Visit &&visit)
{
    const int k = rules.mainCount;
    const int n = rules.highest;
    int numbers[64];
    LineMask partial[65]; // partial[i]: the first i numbers
    partial[0] = 0;
    for (int i = 0; i < k; ++i) {
        numbers[i] = i + 1;
        partial[i + 1] = partial[i] | (LineMask(1) << numbers[i]);
    }
    for (;;) {
        visit(partial[k]);
        // The rightmost number that can still move up, then the rest after it.
        int i = k - 1;
        while (i >= 0 && numbers[i] == n - k + 1 + i)
            --i;
        if (i < 0)
            return;
        ++numbers[i];
        partial[i + 1] = partial[i] | (LineMask(1) << numbers[i]);
        for (int j = i + 1; j < k; ++j) {
            numbers[j] = numbers[j - 1] + 1;
            partial[j + 1] = partial[j] | (LineMask(1) << numbers[j]);
        }
    }
}

struct RankedLine
{
    LineMask line = 0;
    double expectedReturn = 0; // 円
    double ratio = 0;          // to the average line
};

// The numbers of a mask, ascending.
std::vector<int> numbersOf(LineMask line);

struct Extremes
{
    double average = 0;
    std::vector<RankedLine> least; // least favoured first: the highest return
    std::vector<RankedLine> most;  // most favoured first: the lowest return
};
// The `count` lines of highest and of lowest expected return among those
// within the data (ReturnModel::withinData): a line made all of one row or
// of neighbours was never drawn, and what the model says of it is a guess.
Extremes extremes(const ReturnModel &model, int count);

// The lines whose ratio to the average line is at least minRatio, in the
// order of forEachLine, handed to sink; returns how many there are.
template<class Sink>
long long linesAtLeast(const ReturnModel &model, double minRatio, Sink &&sink)
{
    const double threshold = minRatio * model.average();
    long long count = 0;
    forEachLine(model.rules(), [&](LineMask line) {
        if (model.expectedReturn(line) >= threshold) {
            ++count;
            sink(line);
        }
    });
    return count;
}

} // namespace Popularity
