// Build and first paint of the dispersion, consecutive, number-sum and
// combination-pattern windows: the Sheet is built from the store, put into a
// SheetView of the window's size and grabbed. Histories: the bundled
// database (2130 draws) and a generated one of 5000 draws.
#include "analysis/builders.h"
#include "analysis/catalog.h"
#include "store/drawdatabase.h"
#include "support/history.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

const DrawHistoryStore &bundledHistory()
{
    static const DrawHistoryStore store = loadDrawHistoryFrom(
        DrawDatabase::connectStringForFile(QCoreApplication::applicationDirPath() + QStringLiteral("/Loto6Kermon.mdb")));
    return store;
}

const DrawHistoryStore &generatedHistory()
{
    static const DrawHistoryStore store = TestHistory::store(TestHistory::generated(5000));
    return store;
}

void buildAndPaint(benchmark::State &state, const char *className, const DrawHistoryStore &(*history)())
{
    const AnalysisWindow *window = findAnalysisWindow(QString::fromUtf8(className));
    if (!window || !window->build) {
        state.SkipWithError("window not registered");
        return;
    }
    const DrawHistoryStore &store = history();
    const QSize size(Metrics::twipsToPixels(window->widthTwips), Metrics::twipsToPixels(window->heightTwips));
    for (auto _ : state) {
        SheetView view;
        view.resize(size);
        view.setSheet(window->build(store));
        const QPixmap picture = view.grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
    state.counters["draws"] = store.LastDrawNo;
}

void registerAll()
{
    const char *windows[] = {"バラツキ分析", "連番飛び石分析", "数字合計分析", "低数字高数字の組合せパターン分析",
                             "偶数奇数の組合せパターン分析"};
    for (const char *name : windows) {
        benchmark::RegisterBenchmark((std::string(name) + "/2130").c_str(),
                                     [name](benchmark::State &state) { buildAndPaint(state, name, &bundledHistory); })
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string(name) + "/5000").c_str(),
                                     [name](benchmark::State &state) { buildAndPaint(state, name, &generatedHistory); })
            ->Unit(benchmark::kMillisecond);
    }
}

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    Metrics::installFontSubstitution();
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
