// Build and first paint of the appearance count, numbers by count, interval
// and pull windows: the Sheet is built from the store, put into a SheetView
// of the window's size and grabbed, on the bundled history and on 5000 draws.
#include "analysis/catalog.h"
#include "store/drawdatabase.h"
#include "support/history.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

void buildAndPaint(benchmark::State &state, const AnalysisWindow *window, const DrawHistoryStore *store)
{
    const QSize size(Metrics::twipsToPixels(window->widthTwips), Metrics::twipsToPixels(window->heightTwips));
    for (auto _ : state) {
        SheetView view;
        view.resize(size);
        view.setSheet(window->build(*store));
        QPixmap picture = view.grab();
        benchmark::DoNotOptimize(picture);
    }
    state.counters["draws"] = store->LastDrawNo;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Metrics::installFontSubstitution();
    QApplication::setFont(Metrics::gridFont());

    const QString bundledPath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Loto6Kermon.mdb"));
    const auto bundled = std::make_unique<DrawHistoryStore>(
        loadDrawHistoryFrom(DrawDatabase::connectStringForFile(bundledPath)));
    const auto generated = std::make_unique<DrawHistoryStore>(
        TestHistory::store(TestHistory::generated(5000)));

    for (const char *name : {"出現回数分析", "回数別出現分析", "出現間隔分析", "数字間隔分析", "引っ張り分析"}) {
        const AnalysisWindow *window = findAnalysisWindow(QString::fromUtf8(name));
        if (!window || !window->build)
            return 1;
        benchmark::RegisterBenchmark((std::string(name) + "/bundled").c_str(), buildAndPaint, window, bundled.get())
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string(name) + "/5000").c_str(), buildAndPaint, window, generated.get())
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
