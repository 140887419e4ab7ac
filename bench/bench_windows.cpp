// Opening every analysis window: the table built from the store, the frame
// laid out at the window's size, and the first paint, on the bundled history
// (2130 draws) and on a generated one of 5000. Also a repaint of the visible
// area of the frequency chart, the widest table.
#include "analysis/catalog.h"
#include "analysis/gui/analysisframe.h"
#include "store/drawdatabase.h"
#include "support/history.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"

#include <QApplication>
#include <QDir>
#include <QImage>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

QSize windowSize(const AnalysisWindow &window)
{
    return {Metrics::twipsToPixels(window.widthTwips), Metrics::twipsToPixels(window.heightTwips)};
}

void openWindow(benchmark::State &state, const AnalysisWindow *window, const DrawHistoryStore *store)
{
    QImage target(windowSize(*window), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        AnalysisFrame frame(*window, window->build(*store));
        frame.resize(windowSize(*window));
        frame.QWidget::render(&target);
        benchmark::DoNotOptimize(target.bits());
    }
    state.counters["draws"] = store->LastDrawNo;
}

void repaintVisibleArea(benchmark::State &state, const AnalysisWindow *window, const DrawHistoryStore *store)
{
    AnalysisFrame frame(*window, window->build(*store));
    frame.resize(windowSize(*window));
    QWidget *viewport = frame.grid()->viewport();
    QImage target(viewport->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        viewport->render(&target);
        benchmark::DoNotOptimize(target.bits());
    }
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Metrics::installFontSubstitution();
    QApplication::setFont(Metrics::gridFont());

    const QString bundledPath = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Loto6Kermon.mdb"));
    const auto bundled = std::make_unique<DrawHistoryStore>(loadDrawHistoryFrom(bundledPath));
    const auto generated = std::make_unique<DrawHistoryStore>(TestHistory::store(TestHistory::generated(5000)));

    for (const AnalysisWindow &window : analysisWindows()) {
        const std::string name = window.className.toStdString();
        benchmark::RegisterBenchmark(("Open/" + name + "/2130").c_str(), openWindow, &window, bundled.get())
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Open/" + name + "/5000").c_str(), openWindow, &window, generated.get())
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("Repaint/出現頻度分析", repaintVisibleArea,
                                 findAnalysisWindow(QStringLiteral("出現頻度分析")), bundled.get())
        ->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
