// loto6kermon-cli render: a window as it shows on screen (PNG) or as its
// printed pages (PDF). Kept apart from the other commands because it needs
// Qt's GUI libraries.
#include "cli/gui/render.h"

#include "analysis/gui/analysisframe.h"
#include "prediction/gui/predictionwindow.h"
#include "ui/gui/sheetprinter.h"
#include "ui/sheetexport.h"
#include "ui/savedfile.h"
#include "ui/tableoutput.h"

#include <QBuffer>
#include <QImage>

namespace Cli {

namespace {

int writePng(const QImage &image, const QString &path)
{
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    const QString problem = image.save(&png, "PNG") ? SavedFile::write(path, png.data()) : QString();
    if (png.data().isEmpty() || !problem.isEmpty()) {
        err(QStringLiteral("画像ファイル「%1」を書き込めません。%2").arg(path, problem));
        return Failure;
    }
    return Success;
}

int renderPrediction(const Options &options)
{
    PredictionEngine engine = predictionEngine(options);
    const DrawHistoryStore store = loadStore(options);
    return writePng(PredictionWindow::render(engine, store), options.value(QStringLiteral("--png")));
}

// The window's whole table as the printed pages, written as a PDF file; a
// line of JSON tells how many pages it took.
int renderPdf(const Options &options)
{
    const QString path = options.value(QStringLiteral("--pdf"));
    SheetPrinter::Document document;
    QString name;
    if (isPrediction(options)) {
        PredictionEngine engine = predictionEngine(options);
        const DrawHistoryStore store = loadStore(options);
        engine.SetUpPredictionGrids(store);
        name = PredictionEngine::WindowName;
        document = PredictionWindow::printDocument(engine, TableOutput::drawRange(store));
    } else {
        const AnalysisWindow &w = windowArgument(options);
        name = w.className;
        document = AnalysisFrame::printDocument(w, loadStore(options));
    }
    QString problem;
    const bool fitWidth = options.has(QStringLiteral("--fit-width"));
    const int pages = SheetPrinter::writePdf(path, document, fitWidth, &problem);
    if (pages == 0) {
        err(problem);
        return Failure;
    }
    out(QStringLiteral("{\"window\": %1, \"pdf\": %2, \"pages\": %3, \"landscape\": %4}\n")
            .arg(SheetExport::jsonString(name), SheetExport::jsonString(path), QString::number(pages),
                 SheetPrinter::prefersLandscape(document, fitWidth) ? QStringLiteral("true") : QStringLiteral("false")));
    return Success;
}

} // namespace

int render(const Options &options)
{
    if (options.has(QStringLiteral("--png")) == options.has(QStringLiteral("--pdf")))
        throw UsageError{QStringLiteral("render には --png か --pdf のどちらか一つが必要です。")};
    if (options.has(QStringLiteral("--fit-width")) && !options.has(QStringLiteral("--pdf")))
        throw UsageError{QStringLiteral("--fit-width は --pdf と一緒に使います。")};
    if (options.has(QStringLiteral("--pdf")))
        return renderPdf(options);
    if (isPrediction(options))
        return renderPrediction(options);
    const AnalysisWindow &w = windowArgument(options);
    const DrawHistoryStore store = loadStore(options);
    const QImage image = AnalysisFrame::render(w, store);
    if (image.isNull()) {
        err(QStringLiteral("%1 を表示できません。").arg(w.className));
        return Failure;
    }
    return writePng(image, options.value(QStringLiteral("--png")));
}

} // namespace Cli
