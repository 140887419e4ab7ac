// Build + first paint of the five-division, group-division and last-digit
// windows: the table is built from the store, handed to a SheetView the size
// of the window, and grabbed once.
#include "analysis/catalog.h"
#include "store/drawdatabase.h"
#include "support/history.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>

#include <cstdlib>
#include <memory>

namespace {

const char *const Windows[] = {"分割5傾向分析",     "分割6データ分析",   "分割7データ分析",
                               "分割11データ分析", "下一桁出現傾向分析", "下一桁連続出現回数分析"};

void buildAndPaint(benchmark::State &state, const AnalysisWindow *window, const DrawHistoryStore *store)
{
    const QSize size(Metrics::twipsToPixels(window->widthTwips), Metrics::twipsToPixels(window->heightTwips));
    for (auto _ : state) {
        SheetView view;
        view.resize(size);
        view.setSheet(window->build(*store));
        const QPixmap picture = view.grab();
        benchmark::DoNotOptimize(picture.cacheKey());
    }
    state.counters["rows"] = double(store->LastDrawNo);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Metrics::installFontSubstitution();
    QApplication::setFont(Metrics::gridFont());

    const QString database = QCoreApplication::applicationDirPath() + QStringLiteral("/Loto6Kermon.mdb");
    static const DrawHistoryStore bundled = loadDrawHistoryFrom(DrawDatabase::connectStringForFile(database));
    static const DrawHistoryStore generated = TestHistory::store(TestHistory::generated(5000));

    for (const char *name : Windows) {
        const AnalysisWindow *window = findAnalysisWindow(QString::fromUtf8(name));
        if (!window || !window->build) {
            std::fprintf(stderr, "no build function for %s\n", name);
            return 1;
        }
        for (const DrawHistoryStore *store : {&bundled, &generated}) {
            const std::string label = std::string(name) + "/" + std::to_string(store->LastDrawNo);
            benchmark::RegisterBenchmark(label.c_str(), buildAndPaint, window, store)->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
