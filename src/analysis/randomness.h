#pragma once

#include "analysis/significance.h"
#include "store/globalbas.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// "Is this unusual?" answered honestly: for a range of complete draws, the
// observed distribution of a property of the draws beside its exact
// distribution under a fair draw (six of 43 without replacement, then a bonus
// from the remaining 37), and a chi-square goodness-of-fit test of the one
// against the other.
namespace Randomness {

// Which complete draws are examined. With neither bound nor last, all of them.
struct Range
{
    std::optional<int> last; // the last N complete draws
    std::optional<int> from; // 回数 from … to, inclusive
    std::optional<int> to;
};

// Bins whose expected counts were merged until each is at least 5.
struct Binned
{
    QStringList labels;
    std::vector<double> observed;
    std::vector<double> expected;
    std::vector<double> sigma; // standard deviation of each bin's count under chance
};

struct Test
{
    QString id;   // stable identifier for scripts ("frequency", "sum", …)
    QString name; // what the window shows
    Binned bins;  // as tested (after merging)
    // Pearson's statistic, divided where a draw's numbers are distinct by
    // the factor that makes it chi-square with df degrees of freedom.
    double statistic = 0;
    int df = 0;
    double p = 1;
    double adjustedP = 1; // Holm, across the tests of one report
    // Empty when the test could be made; otherwise why not (too few draws).
    QString problem;
    bool tested() const { return problem.isEmpty(); }
    // "偶然の範囲内です" or "偶然とは考えにくい偏りがあります (p = …)".
    QString verdict() const;
};

struct Report
{
    int draws = 0;     // complete draws examined
    int firstDraw = 0; // their 回数 range
    int lastDraw = 0;
    std::vector<Test> tests;
    // Set when the range holds too few draws for any test.
    QString problem;
};

// The tests in the order the window lists them. Throws std::invalid_argument
// with a Japanese message for a range that makes no sense: from > to, a
// bound outside 第1回 … LastDrawNo, or N outside 1 … the complete draws.
Report analyse(const DrawHistoryStore &store, const Range &range);

// The report for scripts: JSON (one object, the tests in window order) and
// CSV (a line per tested bin).
QByteArray reportJson(const Report &report);
QString reportCsv(const Report &report);

// --- The pieces, public so that they can be checked on their own. ---

// Adjacent bins merged from the left until each expected count is at least
// minExpected; a short remainder at the end joins the bin before it.
Binned mergeBins(const Binned &bins, double minExpected = 5.0);

// Exact distributions for drawing k of the numbers 1 … n (probabilities).
// Hypergeometric: P(m of the k drawn are among `marked` given numbers), m = 0 … k.
std::vector<double> hypergeometric(int n, int marked, int k);
// P(sum of the k numbers = s), indexed by s (0 … the largest sum).
std::vector<double> sumDistribution(int n, int k);
// P(j pairs of consecutive numbers among the k), j = 0 … k - 1.
std::vector<double> consecutivePairsDistribution(int n, int k);
// For the complete draws of a range, their 回数 ascending: P(a gap seen in
// the range is g long), g = 1 … last − first. A gap runs from a draw holding
// a number to the next of these draws holding it, measured in 回数.
std::vector<double> gapDistribution(const std::vector<int> &drawNumbers);

} // namespace Randomness
