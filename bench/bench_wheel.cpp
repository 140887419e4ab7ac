// Reduced wheels within the default 10 s budget: lines found against the
// lower bound, the best known size (anchor, 0 where none is given) and the
// size the wheel must reach (limit, 0 for the stretch cases); then the
// filters over all C(43, 6) lines.
//
// Each wheel is one search (Iterations(1)): Time is wall-clock seconds of
// the search and its exhaustive check, CPU the processor time it got. On a
// shared machine the two differ, and the search gets only the CPU share.
#include "prediction/combofilter.h"
#include "prediction/wheel.h"
#include "support/history.h"

#include <benchmark/benchmark.h>

#include <numeric>

namespace {

void BM_Wheel(benchmark::State &state)
{
    const int v = int(state.range(0));
    const WheelCondition condition{int(state.range(1)), int(state.range(2))};
    WheelRequest request;
    request.numbers.resize(size_t(v));
    std::iota(request.numbers.begin(), request.numbers.end(), 1);
    request.condition = condition;
    Wheel wheel;
    for (auto _ : state)
        wheel = Wheel::build(request);
    state.counters["lines"] = double(wheel.lines.size());
    state.counters["bound"] = double(wheel.lowerBound);
    state.counters["anchor"] = double(state.range(3));
    state.counters["limit"] = double(state.range(4));
    state.counters["verified"] = wheel.verified ? 1 : 0;
    state.counters["parts"] = wheel.parts;
    state.SetLabel(wheel.stop == Wheel::Stop::Minimal   ? "minimal"
                   : wheel.stop == Wheel::Stop::TimeUp  ? "time up"
                   : wheel.stop == Wheel::Stop::Settled ? "settled"
                                                        : "cancelled");
    if (!wheel.verified || (state.range(4) > 0 && (long long)wheel.lines.size() > state.range(4)))
        state.SkipWithError("the wheel misses its limit or its promise");
}
// v, if m, match t, anchor (best known size), limit.
BENCHMARK(BM_Wheel)
    ->ArgNames({"v", "m", "t", "anchor", "limit"})
    ->Args({7, 5, 5, 6, 6})
    ->Args({8, 5, 5, 12, 12})
    ->Args({9, 5, 5, 30, 0})
    ->Args({10, 5, 5, 50, 55})
    ->Args({11, 5, 5, 100, 0})
    ->Args({12, 5, 5, 132, 145})
    ->Args({13, 5, 5, 245, 0})
    ->Args({18, 3, 3, 0, 48})  // 1.15 × Schönheim's 42
    ->Args({16, 4, 4, 0, 194}) // 1.35 × Schönheim's 144
    ->Args({18, 4, 3, 0, 0})   // 消去法's 18 candidates, if 4 match 3
    ->Args({12, 6, 6, 924, 0}) // the full wheel
    ->Args({43, 6, 3, 0, 0})   // a 5等 whatever is drawn
    ->Args({43, 6, 4, 0, 0})   // a 4等 whatever is drawn: the budget runs out before the first wheel
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

const std::vector<ComboFilter::Line> &history()
{
    static const std::vector<ComboFilter::Line> draws = ComboFilter::pastDraws(TestHistory::store(TestHistory::bundled()));
    return draws;
}

void runFilters(benchmark::State &state, const ComboFilter::Request &request)
{
    long long passed = 0;
    for (auto _ : state) {
        const ComboFilter::Result result = ComboFilter::run(request, history(), [&](const ComboFilter::Line &) { ++passed; });
        benchmark::DoNotOptimize(result.count);
    }
    state.counters["lines"] = double(passed) / double(state.iterations());
    state.SetItemsProcessed(state.iterations() * ComboFilter::AllLines);
}

// Sum, odd, low, consecutive and last digit over all lines.
void BM_FiveFiltersAllLines(benchmark::State &state)
{
    using M = ComboFilter::Measure;
    runFilters(state, {{},
                       {{M::Sum, 100, 160}, {M::Odd, 2, 4}, {M::Low, 2, 4}, {M::Consecutive, 0, 1}, {M::LastDigit, 0, 2}}});
}
BENCHMARK(BM_FiveFiltersAllLines)->Unit(benchmark::kMillisecond);

// The two that need the most: the last draw and a division into groups.
void BM_FiveFiltersWithGroups(benchmark::State &state)
{
    using M = ComboFilter::Measure;
    runFilters(state, {{},
                       {{M::Previous, 0, 1}, {M::Groups, 0, 2, 7}, {M::Sum, 100, 160}, {M::Odd, 2, 4}, {M::Consecutive, 0, 1}}});
}
BENCHMARK(BM_FiveFiltersWithGroups)->Unit(benchmark::kMillisecond);

// 消去法's 18 candidates: all lines once for the chances, then the candidates' 18 564.
void BM_FiveFiltersOnCandidates(benchmark::State &state)
{
    using M = ComboFilter::Measure;
    runFilters(state, {{1, 4, 7, 9, 12, 15, 18, 21, 25, 28, 31, 33, 36, 38, 40, 41, 42, 43},
                       {{M::Sum, 100, 160}, {M::Odd, 2, 4}, {M::Low, 2, 4}, {M::Consecutive, 0, 1}, {M::LastDigit, 0, 2}}});
}
BENCHMARK(BM_FiveFiltersOnCandidates)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
