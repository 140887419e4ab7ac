#pragma once

#include "store/globalbas.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// 絞り込み: the lines (six numbers) of all C(43, 6) or of a set of candidate
// numbers that pass a few filters, and what each filter costs: how many past
// draws it would have let through and its exact chance under a fair draw.
// No filter changes the chance of any single line.
namespace ComboFilter {

using Line = std::array<int, 6>; // ascending

// C(43, 6): every line a draw can be.
inline constexpr long long AllLines = 6096454;
inline constexpr int LowLimit = 21; // 1 … 21 are the low numbers

enum class Measure {
    Sum,         // the six numbers added up
    Odd,         // odd numbers
    Low,         // numbers 1 … 21
    Consecutive, // pairs n, n + 1
    LastDigit,   // pairs with the same last digit
    Previous,    // numbers shared with the main numbers of the last draw
    Groups       // numbers in each group of a division (5, 6, 7 or 11 groups)
};

struct Filter
{
    Measure measure = Measure::Sum;
    int min = 0;
    int max = 0;
    int division = 0; // Groups only: 5, 6, 7 or 11
};

// What the filter asks, in words: "合計 100～160", "7分割の各グループ 0～2個".
QString filterText(const Filter &filter);
// The divisions a Groups filter can use.
bool isDivision(int groups);

struct Request
{
    std::vector<int> numbers; // the candidates; empty for all 43 numbers
    std::vector<Filter> filters;
};

struct FilterStat
{
    Filter filter;
    int pastDraws = 0;  // draws of the history the filter applies to
    int pastPassed = 0; // of those, the draws it lets through
    long long fairLines = 0; // lines of all C(43, 6) it lets through
    double chance() const { return double(fairLines) / double(AllLines); }
};

struct Result
{
    long long considered = 0; // lines of the candidates: C(k, 6)
    long long count = 0;      // of those, the lines every filter lets through
    std::vector<FilterStat> filters;
};

// The complete draws of the history, ascending: the six main numbers of each.
std::vector<Line> pastDraws(const DrawHistoryStore &store);

// Why the request cannot run, in words for the user; nothing when it can.
std::optional<QString> problem(const Request &request, const std::vector<Line> &history);

// Every line passing all filters goes to sink, in ascending order; the
// history gives the past pass rates and the last draw for Previous. The
// request must have passed problem().
Result run(const Request &request, const std::vector<Line> &history,
           const std::function<void(const Line &)> &sink = {});

} // namespace ComboFilter
