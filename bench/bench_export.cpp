// Exports as the command-line tool writes them: the JSON of a built table
// to /dev/null (the writer alone), a window built and written, and every
// window of `export --all` from one store.
#include "analysis/catalog.h"
#include "prediction/predictionexport.h"
#include "store/drawdatabase.h"
#include "support/history.h"
#include "ui/sheetexport.h"

#include <QCoreApplication>
#include <QDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

std::FILE *devNull()
{
    static std::FILE *file = std::fopen("/dev/null", "wb");
    return file;
}

void writeJson(benchmark::State &state, const AnalysisWindow *window, const DrawHistoryStore *store)
{
    const Sheet sheet = window->build(*store);
    for (auto _ : state) {
        ExportOutput out(devNull());
        SheetExport::writeWindowJson(out, window->className, window->caption, sheet);
    }
    state.counters["cells"] = double(sheet.maxCols()) * sheet.maxRows();
}

void buildAndWriteJson(benchmark::State &state, const AnalysisWindow *window, const DrawHistoryStore *store)
{
    for (auto _ : state) {
        ExportOutput out(devNull());
        SheetExport::writeWindowJson(out, window->className, window->caption, window->build(*store));
    }
}

void exportAll(benchmark::State &state, const DrawHistoryStore *store)
{
    for (auto _ : state) {
        ExportOutput out(devNull());
        PredictionEngine engine;
        engine.SetUpPredictionGrids(*store);
        PredictionExport::writeJson(out, engine);
        for (const AnalysisWindow &w : analysisWindows()) {
            if (w.build)
                SheetExport::writeWindowJson(out, w.className, w.caption, w.build(*store));
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QString bundledPath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Loto6Kermon.mdb"));
    const auto bundled = std::make_unique<DrawHistoryStore>(loadDrawHistoryFrom(bundledPath));
    const auto large = std::make_unique<DrawHistoryStore>(TestHistory::store(TestHistory::generated(30000)));

    const AnalysisWindow *widest = findAnalysisWindow(QStringLiteral("分割11データ分析"));
    benchmark::RegisterBenchmark("WriteJson/分割11データ分析/2130", writeJson, widest, bundled.get())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("WriteJson/分割11データ分析/30000", writeJson, widest, large.get())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BuildAndWriteJson/分割11データ分析/2130", buildAndWriteJson, widest, bundled.get())
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("ExportAll/2130", exportAll, bundled.get())->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
