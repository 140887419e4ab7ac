#include "prediction/buyingplan.h"

#include "prediction/ticketsources.h"
#include "prediction/backtest.h"
#include "game/bits.h"
#include "prediction/candidates.h"

#include <algorithm>
#include <chrono>

namespace BuyingPlan {

namespace {

using Mask = std::uint64_t; // bit n for the number n

Mask maskOf(const Line &line)
{
    Mask mask = 0;
    for (int n : line)
        mask |= Mask(1) << n;
    return mask;
}

void filterLines(Plan &plan, const std::vector<ComboFilter::Line> &history)
{
    plan.lines.clear();
    plan.filter = ComboFilter::run({plan.request.numbers, plan.request.filters}, history, [&](const ComboFilter::Line &line) {
        if ((long long)plan.lines.size() < MaxLines)
            plan.lines.push_back(line);
    });
    plan.count = plan.filter->count;
}

} // namespace

std::optional<QString> problem(const Request &request, const std::vector<ComboFilter::Line> &history)
{
    switch (request.mode) {
    case Mode::AllLines:
        return Candidates::problem(request.numbers);
    case Mode::Wheel:
        return Wheel::problem(request.numbers, request.condition);
    case Mode::Filter:
        break;
    }
    if (request.filters.empty())
        return QStringLiteral("絞り込みの条件を一つ以上選んでください。");
    return ComboFilter::problem({request.numbers, request.filters}, history);
}

double WhatIf::expectedLines(int tier) const
{
    return double(draws) * double(lines) * Backtest::ticketChance(tier);
}

WhatIf whatIf(const std::vector<Line> &lines, const DrawResults &results, const KeepGoing &keepGoing)
{
    std::vector<Mask> masks;
    masks.reserve(lines.size());
    for (const Line &line : lines)
        masks.push_back(maskOf(line));
    WhatIf out;
    out.lines = (long long)lines.size();
    for (const auto &[drawNo, drawn] : results.all()) {
        if (keepGoing && out.draws % 64 == 0 && !keepGoing())
            return out;
        const Mask main = maskOf(drawn.main);
        const Mask bonus = Mask(1) << drawn.bonus;
        std::array<long long, 5> won{};
        for (Mask line : masks) {
            const int matches = bitCount(line & main);
            if (matches >= 3)
                ++won[size_t(tierNumber(tierFor(matches, (line & bonus) != 0)) - 1)];
        }
        bool prize = false;
        for (size_t t = 0; t < won.size(); ++t) {
            out.linesWon[t] += won[t];
            out.prizeLines += won[t];
            out.drawsWon[t] += won[t] > 0 ? 1 : 0;
            prize = prize || won[t] > 0;
        }
        out.drawsWithPrize += prize ? 1 : 0;
        if (out.draws++ == 0)
            out.firstDraw = drawNo;
        out.lastDraw = drawNo;
    }
    return out;
}

std::optional<Plan> make(const Request &request, const std::vector<ComboFilter::Line> &history, const DrawResults &results,
                         const std::function<bool(const WheelProgress &)> &progress)
{
    Plan plan;
    plan.request = request;
    std::vector<int> &numbers = plan.request.numbers;
    std::sort(numbers.begin(), numbers.end());
    switch (request.mode) {
    case Mode::AllLines:
        plan.count = TicketSources::combinationCount(int(numbers.size()));
        if (plan.count <= MaxLines)
            plan.lines = TicketSources::combinations(numbers);
        break;
    case Mode::Wheel: {
        bool cancelled = false;
        Wheel wheel = Wheel::build({numbers, request.condition, request.seconds},
                                   [&](const WheelProgress &standing) {
                                       cancelled = progress && !progress(standing);
                                       return !cancelled;
                                   });
        if (cancelled)
            return std::nullopt;
        // Lines whose promise did not hold up are never handed out.
        if (wheel.verified)
            plan.lines = wheel.lines;
        else
            plan.failure = QStringLiteral("縮小ホイールの保証を確かめられませんでした。探索時間を延ばすか、条件を緩めてください。");
        plan.count = (long long)plan.lines.size();
        plan.wheel = std::move(wheel);
        break;
    }
    case Mode::Filter:
        filterLines(plan, history);
        break;
    }
    if (!plan.listed())
        return plan;
    const auto start = std::chrono::steady_clock::now();
    bool cancelled = false;
    plan.whatIf = whatIf(plan.lines, results, [&] {
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cancelled = progress && !progress({0, 0, elapsed, 0});
        return !cancelled;
    });
    if (cancelled)
        return std::nullopt;
    return plan;
}

void replay(Plan &plan, const std::vector<ComboFilter::Line> &history, const DrawResults &results)
{
    if (plan.request.mode == Mode::Filter)
        filterLines(plan, history);
    plan.whatIf = {};
    if (plan.listed())
        plan.whatIf = whatIf(plan.lines, results);
}

QString memo(const Plan &plan)
{
    switch (plan.request.mode) {
    case Mode::AllLines:
        return QStringLiteral("全組合せ");
    case Mode::Wheel:
        return Wheel::memoText(plan.request.condition);
    case Mode::Filter:
        break;
    }
    return QStringLiteral("絞り込み");
}

QString honestyText()
{
    return QStringLiteral("縮小ホイールも絞り込みも、1口が当たる確率は変えません（1等はどの口も 6,096,454 分の 1）。"
                          "縮小ホイールは、候補の数字がよかったときにどの等級が保証されるかを整えるだけです。");
}

QString pastWarning()
{
    return QStringLiteral("過去の抽せんに当てはめた結果です。過去は将来を予想しません。"
                          "どんな口でも、当たる口数の期待値はでたらめに選んだ同じ口数と同じです。");
}

} // namespace BuyingPlan
