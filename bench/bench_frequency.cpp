// Opening 出現頻度分析 (build + first paint) and repainting its visible area.
#include "analysis/catalog.h"
#include "analysis/gui/analysisframe.h"
#include "store/drawdatabase.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

const DrawHistoryStore &bundledStore()
{
    static const DrawHistoryStore store = loadDrawHistoryFrom(
        DrawDatabase::connectStringForFile(QCoreApplication::applicationDirPath() + QStringLiteral("/Loto6Kermon.mdb")));
    return store;
}

const AnalysisWindow &frequencyWindow()
{
    return *findAnalysisWindow(QStringLiteral("出現頻度分析"));
}

QSize windowSize(const AnalysisWindow &w)
{
    return {Metrics::twipsToPixels(w.widthTwips), Metrics::twipsToPixels(w.heightTwips)};
}

void BM_OpenAppearanceFrequency(benchmark::State &state)
{
    const AnalysisWindow &w = frequencyWindow();
    const DrawHistoryStore &store = bundledStore();
    QImage target(windowSize(w), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        AnalysisFrame frame(w, w.build(store));
        frame.resize(windowSize(w));
        frame.QWidget::render(&target);
        benchmark::DoNotOptimize(target.bits());
    }
}
BENCHMARK(BM_OpenAppearanceFrequency)->Unit(benchmark::kMillisecond);

void BM_BuildAppearanceFrequencyOnly(benchmark::State &state)
{
    const AnalysisWindow &w = frequencyWindow();
    const DrawHistoryStore &store = bundledStore();
    for (auto _ : state) {
        Sheet sheet = w.build(store);
        benchmark::DoNotOptimize(sheet.maxCols());
    }
}
BENCHMARK(BM_BuildAppearanceFrequencyOnly)->Unit(benchmark::kMillisecond);

void BM_RepaintVisibleArea(benchmark::State &state)
{
    const AnalysisWindow &w = frequencyWindow();
    AnalysisFrame frame(w, w.build(bundledStore()));
    frame.resize(windowSize(w));
    SheetView *view = frame.grid();
    QImage target(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        view->viewport()->render(&target);
        benchmark::DoNotOptimize(target.bits());
    }
}
BENCHMARK(BM_RepaintVisibleArea)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Metrics::installFontSubstitution();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
