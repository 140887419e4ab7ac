#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// 縮小ホイール: a small set of lines over candidate numbers with a promise
// ("if m of the six main numbers drawn are among the candidates, at least one
// line matches t of them"), found by a search and then checked against every
// m of the candidates before it is handed out. A wheel changes no line's
// chance: it only arranges which tier is certain when the candidates are good.
struct WheelCondition
{
    int ifDrawn = 4; // m: main numbers drawn among the candidates
    int match = 3;   // t: matched by at least one line
};

struct WheelRequest
{
    std::vector<int> numbers; // the candidates: 6 … 43 distinct numbers 1 … 43
    WheelCondition condition;
    double seconds = 10;    // time budget of the search
    // When above 0, the search stops after this many moves instead (the
    // clock is not asked): the lines then do not depend on the machine.
    long long moves = 0;
    std::uint64_t seed = 1; // the same seed gives the same lines when the search ends the same way
};

// How far a search got, for a progress display.
struct WheelProgress
{
    int lines = 0; // the smallest complete wheel so far; 0 before the first
    long long lowerBound = 0;
    double elapsed = 0; // seconds
    double budget = 0;
};

struct Wheel
{
    using Line = std::array<int, 6>; // ascending

    enum class Bound {
        Schoenheim, // if m = t: every t of the candidates in some line (a covering)
        Counting    // otherwise: the m-sets over the m-sets one line can serve
    };
    enum class Stop {
        Minimal,   // as small as the lower bound: none smaller exists
        Settled,   // a long search found nothing smaller
        TimeUp,    // the time budget ran out first
        Cancelled  // stopped by the caller; lines empty when no wheel was complete yet
    };

    std::vector<int> numbers; // ascending
    WheelCondition condition;
    std::vector<Line> lines;
    long long lowerBound = 0;
    Bound bound = Bound::Schoenheim;
    bool verified = false; // every m of the candidates checked against the lines
    Stop stop = Stop::Settled;
    // Large problems with m > t are split: by pigeonhole, m drawn among
    // parts candidates put t in one part, so a covering of every t numbers
    // of each part keeps the promise. 1 when searched whole.
    int parts = 1;
    double seconds = 0;
    std::uint64_t seed = 1;

    static constexpr int PricePerLine = 200; // 円
    // Larger wheels are refused: the bound alone would cost 20 million 円.
    static constexpr long long MaxLines = 100000;
    long long cost() const { return (long long)lines.size() * PricePerLine; }

    // Why no wheel can be built for these candidates and this condition, in
    // words for the user; nothing when it can.
    static std::optional<QString> problem(const std::vector<int> &numbers, const WheelCondition &condition);

    // Searches within the time budget and checks the result. progress is
    // called about twenty times a second on the calling thread; returning
    // false cancels. The request must have passed problem().
    static Wheel build(const WheelRequest &request, const std::function<bool(const WheelProgress &)> &progress = {});

    // The same wheel on other candidates of the same count: the i-th smallest
    // of numbers stands where the i-th smallest candidate stood. The promise
    // rests only on how the lines share candidates, so it carries over; a
    // backtest builds one wheel per candidate count and moves it onto each
    // draw's candidates.
    Wheel movedTo(const std::vector<int> &otherNumbers) const;

    // Every m of numbers checked: the first m numbers that no line matches
    // in t, or nothing when the lines keep the promise.
    static std::optional<std::vector<int>> firstUnmatched(const std::vector<int> &numbers, const WheelCondition &condition,
                                                          const std::vector<Line> &lines);

    // The fewest lines any wheel for v candidates and the condition can have.
    static long long lowestPossible(int v, const WheelCondition &condition, Bound *bound = nullptr);
    // Schönheim's bound on coverings of every t-set of v points by k-sets.
    static long long schoenheim(int v, int k, int t);

    // "候補から本数字が4個出れば、少なくとも1口で3個一致（5等）を保証"
    static QString guaranteeText(const WheelCondition &condition);
    // The memo of tickets bought from a wheel: "縮小ホイール " and the guarantee.
    static QString memoText(const WheelCondition &condition);
    // The tier t matched main numbers win at least: "5等" for 3 … "1等" for 6.
    static QString tierText(int match);
};
