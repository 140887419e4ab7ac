// 買い目作成 and the wheel strategy of 予想の検証: playing lines on every past
// draw (a wheel's 26 lines, all 18 564 lines of 18 numbers, and the 100 000
// lines the window lists at most), and the strategy over the default range
// with its wheels still to build (the window's first run) and already built.
#include "prediction/ticketsources.h"
#include "prediction/backtestwheel.h"
#include "prediction/buyingplan.h"
#include "support/history.h"

#include <benchmark/benchmark.h>

#include <numeric>

namespace {

const DrawHistoryStore &bundled()
{
    static const DrawHistoryStore store = TestHistory::store(TestHistory::bundled());
    return store;
}

void BM_WhatIf(benchmark::State &state)
{
    const DrawResults results(bundled().DrawRecordset);
    std::vector<int> numbers(size_t(state.range(0)), 0);
    std::iota(numbers.begin(), numbers.end(), 1);
    std::vector<BuyingPlan::Line> lines = TicketSources::combinations(numbers);
    lines.resize(std::min<size_t>(lines.size(), size_t(state.range(1))));
    BuyingPlan::WhatIf result;
    for (auto _ : state)
        benchmark::DoNotOptimize(result = BuyingPlan::whatIf(lines, results));
    state.counters["lines"] = double(lines.size());
    state.counters["draws"] = result.draws;
}
// candidates, lines at most
BENCHMARK(BM_WhatIf)->Args({9, 26})->Args({18, 18564})->Args({22, 100000})->Unit(benchmark::kMillisecond);

void BM_BacktestWheel(benchmark::State &state)
{
    const DrawHistoryStore &store = bundled();
    const Backtest::Result walk = *Backtest::run(store, Backtest::defaultRange(store), {});
    Backtest::WheelBook built;
    Backtest::Result result = walk;
    Backtest::addWheelStrategy(result, built);
    for (auto _ : state) {
        result = walk;
        Backtest::WheelBook book = state.range(0) ? built : Backtest::WheelBook();
        Backtest::addWheelStrategy(result, book);
    }
    state.counters["wheels"] = double(built.size());
    state.counters["tickets"] = double(result.wheel->tickets);
    for (const auto &[candidates, lines] : result.wheel->wheelLines)
        state.counters["lines" + std::to_string(candidates)] = double(lines);
}
// 0: the wheels are built in the loop; 1: they are in the book.
BENCHMARK(BM_BacktestWheel)->ArgName("built")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
