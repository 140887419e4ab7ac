#pragma once

#include "game/bits.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// The search behind Wheel, on the positions 0 … v − 1 of the candidates: a
// set of 6-point lines such that every m-point set meets some line in at
// least t points. Lines and point sets are bit masks.
namespace WheelSearch {

using Mask = std::uint64_t;

struct Problem
{
    int points = 0; // v, 6 … 43
    int ifDrawn = 0; // m
    int match = 0;   // t
};

// Where the search stands, for the caller's progress display.
struct Status
{
    int bestLines = 0; // 0 until the first complete set of lines
    double elapsed = 0; // seconds
};

struct Limits
{
    double seconds = 10;
    // When above 0: stop after this many moves, and never by the clock.
    long long moves = 0;
    std::uint64_t seed = 1;
    // No search goes below this many lines: a set that small is the best there is.
    long long floor = 1;
    // Called about twenty times a second; returning false stops the search.
    std::function<bool(const Status &)> progress;
};

enum class Stop {
    Floor,    // reached the lower bound: no smaller set exists
    Settled,  // a long run of moves found nothing smaller
    TimeUp,   // the time (or move) budget ran out
    Cancelled // the caller asked to stop
};

struct Outcome
{
    std::vector<Mask> lines; // empty only when cancelled before the first set was complete
    Stop stop = Stop::Settled;
    long long moves = 0;
};

// A greedy first set, then simulated annealing that drops a line whenever
// every m-set is met and repairs the gaps that leaves. The same problem,
// seed and stopping point give the same lines.
Outcome search(const Problem &problem, const Limits &limits);

// Every m-point set checked against the lines (a set is passed over only
// when a smaller part of it already meets a line in t points): the first one
// that no line meets in t points, or nothing when the lines keep the promise.
std::optional<Mask> firstUncovered(const Problem &problem, const std::vector<Mask> &lines);

} // namespace WheelSearch
