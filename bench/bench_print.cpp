// The whole of the largest table as printed pages: バラツキ分析 over the
// bundled history (2130 draws) and over a generated one of 10 000, laid out
// and written as a PDF. Reports pages per second and the process's peak
// resident memory so far.
#include "analysis/catalog.h"
#include "analysis/gui/analysisframe.h"
#include "store/drawdatabase.h"
#include "support/history.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetprinter.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <memory>

namespace {

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0;
}

void writePdf(benchmark::State &state, const DrawHistoryStore *store)
{
    const AnalysisWindow &window = *findAnalysisWindow(QStringLiteral("バラツキ分析"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("out.pdf"));
    int pages = 0;
    for (auto _ : state) {
        const SheetPrinter::Document document = AnalysisFrame::printDocument(window, *store);
        pages = SheetPrinter::writePdf(path, document, false, nullptr);
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = pages;
    state.counters["pages/s"] = benchmark::Counter(double(pages) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peakMB"] = peakMegabytes();
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
    const auto generated = std::make_unique<DrawHistoryStore>(TestHistory::store(TestHistory::generated(10000)));
    benchmark::RegisterBenchmark("Pdf/バラツキ分析/2130", writePdf, bundled.get())->Unit(benchmark::kMillisecond)->Iterations(3);
    benchmark::RegisterBenchmark("Pdf/バラツキ分析/10000", writePdf, generated.get())->Unit(benchmark::kMillisecond)->Iterations(1);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
