#pragma once

#include "maintenance/ticket.h"
#include "prediction/combofilter.h"
#include "prediction/wheel.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// 買い目作成: the lines to buy over candidate numbers, made one of three ways
// (every six of them, a reduced wheel, or the lines that pass filters), with
// their price and what they would have won on the past draws. None of it
// changes the chance of any single line.
namespace BuyingPlan {

using Line = std::array<int, 6>; // ascending

enum class Mode {
    AllLines, // 全組合せ: every six of the candidates
    Wheel,    // 縮小ホイール: few lines with a verified guarantee
    Filter    // 絞り込み: the lines passing filters (all 43 numbers without candidates)
};

// Lines beyond this are counted and priced but neither listed nor bought:
// the table and the ledger stay usable, and nobody buys 20 million 円 by mistake.
inline constexpr long long MaxLines = Wheel::MaxLines;

struct Request
{
    Mode mode = Mode::Wheel;
    std::vector<int> numbers; // may be empty for Filter only
    WheelCondition condition;
    double seconds = 10; // the wheel search's time budget
    std::vector<ComboFilter::Filter> filters;
};

// Why the request cannot run, in words for the user; nothing when it can.
// history as ComboFilter::pastDraws gives it.
std::optional<QString> problem(const Request &request, const std::vector<ComboFilter::Line> &history);

// The lines played on every past draw: per tier how many draws at least one
// line won it and how many lines won it altogether.
struct WhatIf
{
    int draws = 0; // complete draws checked
    int firstDraw = 0;
    int lastDraw = 0;
    long long lines = 0; // lines played on each draw
    std::array<int, 5> drawsWon{};       // 1等 … 5等
    std::array<long long, 5> linesWon{}; // 1等 … 5等
    int drawsWithPrize = 0;
    long long prizeLines = 0;

    // As many lines as these, each picked at random, on as many draws: the
    // winning lines of a tier one expects. Any fixed lines expect exactly this.
    double expectedLines(int tier) const;
};

// Returning false stops the work.
using KeepGoing = std::function<bool()>;
WhatIf whatIf(const std::vector<Line> &lines, const DrawResults &results, const KeepGoing &keepGoing = {});

struct Plan
{
    Request request; // its numbers ascending
    long long count = 0;      // lines made; all are in lines when listed()
    std::vector<Line> lines;
    std::optional<Wheel> wheel;                // for Mode::Wheel
    std::optional<ComboFilter::Result> filter; // for Mode::Filter
    // Why no lines came out (a wheel whose guarantee did not hold up).
    QString failure;
    WhatIf whatIf;

    bool listed() const { return failure.isEmpty() && (long long)lines.size() == count; }
    long long cost() const { return count * Wheel::PricePerLine; }
};

// Makes the lines, then plays them on the past draws. progress is called
// now and then (about twenty times a second while a wheel is searched, with
// its standing; with a zero budget otherwise); returning false cancels, and
// nothing is returned. The request must have passed problem().
std::optional<Plan> make(const Request &request, const std::vector<ComboFilter::Line> &history, const DrawResults &results,
                         const std::function<bool(const WheelProgress &)> &progress = {});

// The plan against new draws: the past again, and a filter's lines again
// (the previous draw is one of its measures).
void replay(Plan &plan, const std::vector<ComboFilter::Line> &history, const DrawResults &results);

// The memo of tickets bought from the plan: the wheel's guarantee,
// "全組合せ" or "絞り込み".
QString memo(const Plan &plan);

// What no wheel and no filter changes, for every place that offers them.
QString honestyText();
// What the past can and cannot tell.
QString pastWarning();

} // namespace BuyingPlan
