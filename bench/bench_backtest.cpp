// The walk-forward test on the bundled draws: one reflect set over targets
// 101 … 2130, and 設定の探索 over all 4 096 sets.
#include "prediction/backtest.h"
#include "store/drawcsv.h"
#include "support/history.h"

#include <QCoreApplication>
#include <QFile>

#include <benchmark/benchmark.h>

namespace {

const DrawHistoryStore &bundledStore()
{
    static const DrawHistoryStore store = TestHistory::store(TestHistory::bundled());
    return store;
}

void BacktestOneSet(benchmark::State &state)
{
    ReflectFlags flags{};
    flags[1] = flags[5] = true;
    for (auto _ : state) {
        const std::optional<Backtest::Result> result = Backtest::run(bundledStore(), {101, 2130}, flags);
        benchmark::DoNotOptimize(result->methods[Backtest::OneShot].hits);
    }
}
BENCHMARK(BacktestOneSet)->Unit(benchmark::kMillisecond);

void SearchAllSets(benchmark::State &state)
{
    for (auto _ : state) {
        const std::optional<Backtest::SearchResult> found = Backtest::search(bundledStore(), {101, 2130});
        benchmark::DoNotOptimize(found->bestShift);
    }
}
BENCHMARK(SearchAllSets)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
