#pragma once

#include "prediction/optionsfile.h"
#include "store/globalbas.h"

#include <QString>

#include <array>
#include <functional>
#include <map>
#include <optional>
#include <vector>

// The walk-forward test of the predictions: every complete draw of a range is
// predicted from the records before it, exactly as the prediction window
// would show it with that history, and each of the seven number sets is
// scored against the draw and against choosing the same count of numbers at
// random.
namespace Backtest {

// The seven number sets of the prediction window, in its order.
inline constexpr int MethodCount = 7;
enum Method { Cycle7, Cycle9, Cycle11, Cycle12, Elimination, MultiShot, OneShot };
QString methodName(int method);

// The analysis that reflect flag k stands for, e.g. "間隔分析".
QString reflectName(int k);

// Prize tiers 1等 … 5等.
inline constexpr int TierCount = 5;
using Tiers = std::array<long long, TierCount>;
using ExpectedTiers = std::array<double, TierCount>;
inline constexpr long long TicketPrice = 200;
// C(43, 6): the tickets a whole draw can be played on.
inline constexpr long long AllTickets = 6096454;
// Of all those tickets, how many win 1等 … 5等 on any one draw.
inline constexpr std::array<long long, TierCount> WinningTickets{1, 6, 216, 9990, 155400};
// The chance that one ticket wins tier 1 … 5 on a fair draw.
double ticketChance(int tier);

// C(n, r), 0 outside 0 ≤ r ≤ n.
long long choose(int n, int r);
// Winning tickets per tier among all C(k, 6) tickets of a set of k numbers
// holding m of the six main numbers, and the bonus number when bonus is true.
Tiers winningTickets(int k, int m, bool bonus);

// What k numbers picked at random score on one draw.
struct Baseline
{
    std::array<double, 7> hitProbability{}; // P(m) for m = 0 … 6
    double expectedHits = 0;
    double variance = 0;
    long long tickets = 0;
    ExpectedTiers expectedTiers{};
};
Baseline baseline(int k);

// Two-sided p-value of a standard normal z.
double twoSidedP(double z);

struct SetScore
{
    std::vector<int> numbers; // distinct, ascending, all in 1 … 43
    int hits = 0;
    bool bonus = false;
};

// The lines a strategy bought on one draw and what they won.
struct LinesScore
{
    long long lines = 0; // 0: not tested on this draw
    Tiers tiers{};
};

struct DrawResult
{
    int draw = 0;
    std::array<int, 6> winning{}; // the six main numbers, as stored
    int bonusNumber = 0;
    // Why the prediction for this draw failed; its sets are then empty.
    QString error;
    std::array<SetScore, MethodCount> sets;
    // The 消去法 numbers as a reduced wheel (backtestwheel.h), when tested.
    LinesScore wheel;
};

struct MethodSummary
{
    int tested = 0;
    long long hits = 0;
    double expectedHits = 0;
    double variance = 0;
    double z = 0;
    double p = 1;
    // Holm-adjusted across the seven methods of one run (the verdict's p);
    // p itself where the summary stands alone.
    double adjustedP = 1;
    long long tickets = 0;
    long long cost = 0;
    Tiers tiers{};
    ExpectedTiers expectedTiers{};
};

enum class Verdict { Better, Worse, NotDistinguishable, NotTested };
// At the 5 % level, two-sided, by the adjusted p.
Verdict verdict(const MethodSummary &summary);
// The verdict in a sentence, for the window and the terminal.
QString verdictText(Verdict verdict);
QString verdictText(const MethodSummary &summary);

struct Range
{
    int from = 0;
    int to = 0;
};
// From draw 101 (or 1 when the history ends before it) to LastDrawNo.
Range defaultRange(const DrawHistoryStore &store);
// Empty when the range can be tested; otherwise what is wrong, in Japanese.
// The range may end at a record that is not complete yet (the newest draw
// entered without its bonus): its complete draws up to there are tested.
QString checkRange(const DrawHistoryStore &store, const Range &range);

// How many complete draws of the range will be tested.
int targetCount(const DrawHistoryStore &store, const Range &range);

// A way of buying lines scored by its winning lines against as many random
// lines; p by the exact mean and variance of a fair draw, on its own (not
// adjusted with the seven methods).
struct LinesSummary
{
    QString name;
    int tested = 0;
    long long tickets = 0;
    long long cost = 0;
    Tiers tiers{};
    ExpectedTiers expectedTiers{};
    long long prizeLines = 0; // lines that won 5等 or better
    double expectedPrizeLines = 0;
    double variance = 0;
    double z = 0;
    double p = 1;
    // Draws where the guarantee applied (enough drawn numbers among the
    // candidates) and, of those, where a line kept it.
    int guaranteeDraws = 0;
    int guaranteeKept = 0;
    // Candidate count → lines of its wheel, for the wheels used.
    std::map<int, long long> wheelLines;
};

// At the 5 % level, two-sided, by its own p.
Verdict verdict(const LinesSummary &summary);

struct Result
{
    Range range;
    ReflectFlags flags{};
    std::vector<DrawResult> draws;
    std::array<MethodSummary, MethodCount> methods;
    // The reduced-wheel strategy, once added (addWheelStrategy).
    std::optional<LinesSummary> wheel;
};

// Sums up the draws that were predicted, each method against chance, and
// adjusts the methods' p for testing seven at once (Holm).
std::array<MethodSummary, MethodCount> summarize(const std::vector<DrawResult> &draws);

// Called after each target draw; returning false cancels the run.
using Progress = std::function<bool(int done, int total)>;

// The fast walk: the prediction's tables grow record by record and each
// target is read off them. Nothing when cancelled. The range must have
// passed checkRange.
std::optional<Result> run(const DrawHistoryStore &store, const Range &range, const ReflectFlags &flags,
                          const Progress &progress = {});
// The same result the straightforward way: for every target a store of the
// records before it and a fresh prediction over that store.
Result runReference(const DrawHistoryStore &store, const Range &range, const ReflectFlags &flags);

// 設定の探索: all 4 096 reflect sets on the first half of the targets, the
// one with the most １発予想 hits (the lowest set index on a tie) then
// tested on the second half.
struct SearchResult
{
    Range firstHalf;
    Range secondHalf;
    ReflectFlags best{};
    int bestShift = 0;
    int setsTried = 0;
    // The sets differ only by their look-back shift: how many shifts they make.
    int distinctShifts = 0;
    // How many different series of first-half １発予想 those shifts make:
    // the number of players actually in the contest.
    int distinctPredictions = 0;
    // Its adjustedP is the chance that the best of distinctPredictions
    // random pickers hits as often (chanceBestReaches): the winner was
    // chosen as the best, and its verdict follows that, not its own p.
    MethodSummary firstHalfOneShot;
    // What the best of distinctPredictions random pickers, each picking as
    // many numbers as the chosen set on every first-half draw, is expected
    // to hit.
    double randomBestHits = 0;
    double randomBestZ = 0;
    // Its second half, where only the １発予想 is the search's test.
    Result secondHalfResult;
    const MethodSummary &secondHalfOneShot() const { return secondHalfResult.methods[OneShot]; }
};
// Needs at least two target draws; nothing when cancelled.
std::optional<SearchResult> search(const DrawHistoryStore &store, const Range &range, const Progress &progress = {});
// What the search means, in a few sentences, the verdict in plain words last.
QString searchText(const SearchResult &result);

// Expected maximum of n independent totals, each the sum over the draws of
// the hits of ks[i] random numbers.
double expectedBestOf(const std::vector<int> &ks, int n);
// The chance that the best of those n totals reaches hits: what the best of
// n settings must beat before its score means more than luck.
double chanceBestReaches(const std::vector<int> &ks, int n, long long hits);

} // namespace Backtest
