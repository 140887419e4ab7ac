// The prediction window on the bundled draws: opening it (grids, table build,
// all four predictions, widgets) and recomputing after an option click.
#include "prediction/gui/predictionwindow.h"
#include "store/drawcsv.h"
#include "support/history.h"
#include "ui/gui/sheetview.h"

#include <QApplication>
#include <QFile>
#include <QRadioButton>

#include <benchmark/benchmark.h>

namespace {

const DrawHistoryStore &bundledStore()
{
    static const DrawHistoryStore store = TestHistory::store(TestHistory::bundled());
    return store;
}

void OpenPredictionWindow(benchmark::State &state)
{
    PredictionEngine engine;
    for (auto _ : state) {
        PredictionWindow window(engine, bundledStore());
        window.resize(624, 560);
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.grid(3)->sheet().text(2, 2));
    }
}
BENCHMARK(OpenPredictionWindow)->Unit(benchmark::kMillisecond);

void OptionClick(benchmark::State &state)
{
    PredictionEngine engine;
    PredictionWindow window(engine, bundledStore());
    window.show();
    QApplication::processEvents();
    bool reflect = true;
    for (auto _ : state) {
        (reflect ? window.reflectButton(1) : window.notReflectButton(1))->click();
        reflect = !reflect;
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.grid(2)->sheet().text(2, 2));
    }
}
BENCHMARK(OptionClick)->Unit(benchmark::kMicrosecond);

void BuildCycleTableOnly(benchmark::State &state)
{
    PredictionEngine engine;
    for (auto _ : state)
        engine.SetUpPredictionGrids(bundledStore());
}
BENCHMARK(BuildCycleTableOnly)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
