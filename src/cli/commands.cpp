#include "cli/commands.h"
#include "cli/options.h"
#include "cli/importcommands.h"
#include "cli/tickets.h"

#include "analysis/catalog.h"
#include "analysis/randomness.h"
#include "analysis/gui/analysisframe.h"
#include "maintenance/drawdataupdate.h"
#include "prediction/gui/predictionwindow.h"
#include "prediction/backtest.h"
#include "prediction/backtestexport.h"
#include "prediction/predictionexport.h"
#include "store/datalocation.h"
#include "store/drawcsv.h"
#include "store/drawdatabase.h"
#include "store/globalbas.h"
#include "store/summary.h"
#include "ui/gui/sheetprinter.h"
#include "ui/sheetexport.h"
#include "ui/tableoutput.h"

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QTextStream>

#include <cstdio>
#include <optional>

namespace Cli {

namespace {

void out(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void err(const QString &text)
{
    const QByteArray bytes = (text + QLatin1Char('\n')).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
}

const char *const UsageText =
    "使い方 / usage: loto6kermon-cli COMMAND [--db FILE] ...\n"
    "  create-db --from-csv FILE --db OUT [--force]\n"
    "  dump-db\n"
    "  summary\n"
    "  list\n"
    "  export WINDOW [--format json|csv] [--reflect 0,1,5]\n"
    "  export --all [--format json|csv] [--reflect 0,1,5]\n"
    "  render WINDOW --png OUT [--reflect 0,1,5]\n"
    "  render WINDOW --pdf OUT [--fit-width] [--reflect 0,1,5]\n"
    "  update [--url URL]\n"
    "  randomness [--last N | --from A --to B] [--format json|csv]\n"
    "  backtest [--from N] [--to M] [--reflect 0,1,5] [--search] [--format json|csv]\n"
    "  tickets add|list|check|import|export|prize [--ledger FILE] ...\n"
    "  import FILE|- [--dry-run] [--overwrite] [--format text|json]\n"
    "  save-csv OUT [--encoding utf-8|shift_jis] [--format text|json]\n";

int usage(const QString &problem)
{
    if (!problem.isEmpty())
        err(problem);
    err(QString::fromUtf8(UsageText));
    return Usage;
}

// The database the program itself uses; for an installed program that is the
// user's copy, made at the first start of either the program or this tool.
QString defaultDatabase()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (const QString problem = DataLocation::prepare(programFolder); !problem.isEmpty())
        throw DatabaseError(problem);
    return DataLocation::databaseFile(programFolder);
}

// --db, or the program's own database (made only when it is the one asked for).
QString databasePath(const Options &options)
{
    return options.has(QStringLiteral("--db")) ? options.value(QStringLiteral("--db")) : defaultDatabase();
}

DrawHistoryStore loadStore(const Options &options)
{
    return loadDrawHistoryFrom(DrawDatabase::connectStringForFile(databasePath(options)));
}

int createDb(const Options &options)
{
    if (!options.has(QStringLiteral("--from-csv")) || !options.has(QStringLiteral("--db")))
        return usage(QStringLiteral("create-db には --from-csv と --db が必要です。"));
    DrawCsv::createDatabase(options.value(QStringLiteral("--from-csv")), options.value(QStringLiteral("--db")),
                            options.has(QStringLiteral("--force")));
    return Success;
}

int dumpDb(const Options &options)
{
    out(DrawCsv::dumpDatabase(databasePath(options)));
    return Success;
}

int summary(const Options &options)
{
    out(storeSummaryJson(loadStore(options)) + QLatin1Char('\n'));
    return Success;
}

int list()
{
    out(PredictionEngine::WindowName + QLatin1Char('\n'));
    for (const AnalysisWindow &w : analysisWindows()) {
        if (w.build)
            out(w.className + QLatin1Char('\n'));
    }
    return Success;
}

const AnalysisWindow *windowArgument(const Options &options, QString *problem)
{
    if (options.positional.size() != 1) {
        *problem = QStringLiteral("ウィンドウ名を一つ指定してください。");
        return nullptr;
    }
    const AnalysisWindow *w = findAnalysisWindow(options.positional.first());
    if (!w || !w->build) {
        *problem = QStringLiteral("そのようなウィンドウはありません: %1").arg(options.positional.first());
        return nullptr;
    }
    return w;
}

bool isPrediction(const Options &options)
{
    return options.positional.size() == 1 && options.positional.first() == PredictionEngine::WindowName;
}

// The prediction window's engine for the options given: --reflect lists the
// reflected analyses by index (0 … 11); the options file is not read, so the
// output depends on the command line only.
std::optional<PredictionEngine> predictionEngine(const Options &options, QString *problem)
{
    const std::optional<ReflectFlags> flags =
        PredictionExport::parseReflectList(options.value(QStringLiteral("--reflect")));
    if (!flags) {
        *problem = QStringLiteral("--reflect は 0 から 11 の番号をカンマで区切って指定してください: %1")
                       .arg(options.value(QStringLiteral("--reflect")));
        return std::nullopt;
    }
    PredictionEngine engine;
    engine.setFlags(*flags);
    return engine;
}

// One window's export, written as it is made. A build that fails writes
// nothing of the table: the error object in JSON, and the message on stderr.
bool writePrediction(ExportOutput &output, PredictionEngine &engine, const DrawHistoryStore &store, bool json)
{
    try {
        engine.SetUpPredictionGrids(store);
    } catch (const RuntimeError &error) {
        if (json)
            output.put(SheetExport::errorJson(PredictionEngine::WindowName, error.message()));
        err(QStringLiteral("%1: %2").arg(PredictionEngine::WindowName, error.message()));
        return false;
    }
    if (json)
        PredictionExport::writeJson(output, engine);
    else
        PredictionExport::writeCsv(output, engine);
    return true;
}

bool writeAnalysis(ExportOutput &output, const AnalysisWindow &w, const DrawHistoryStore &store, bool json)
{
    try {
        const Sheet sheet = w.build(store);
        if (json)
            SheetExport::writeWindowJson(output, w.className, w.caption, sheet);
        else
            SheetExport::writeCsv(output, sheet);
    } catch (const RuntimeError &error) {
        if (json)
            output.put(SheetExport::errorJson(w.className, error.message()));
        err(QStringLiteral("%1: %2").arg(w.className, error.message()));
        return false;
    }
    return true;
}

// A window whose database does not load still answers in the format asked
// for: scripts that parse the JSON get JSON.
std::optional<DrawHistoryStore> loadStoreFor(const Options &options, const QStringList &windows, bool json)
{
    try {
        return loadStore(options);
    } catch (const DatabaseError &error) {
        QStringList objects;
        for (const QString &window : windows)
            objects << SheetExport::errorJson(window, error.message());
        if (json && windows.size() == 1)
            out(objects.first() + QLatin1Char('\n'));
        else if (json)
            out(QStringLiteral("[\n") + objects.join(QStringLiteral(",\n")) + QStringLiteral("\n]\n"));
        err(error.message());
        return std::nullopt;
    }
}

// Every window of `list`, in its order, from one load of the store: in JSON
// an array of exactly the objects the single exports print; in CSV each
// window's name line and its rows, windows separated by a blank line.
int exportAll(const Options &options, bool json)
{
    if (!options.positional.isEmpty())
        return usage(QStringLiteral("--all とウィンドウ名は一緒に指定できません。"));
    QString problem;
    std::optional<PredictionEngine> engine = predictionEngine(options, &problem);
    if (!engine)
        return usage(problem);
    QStringList windows{PredictionEngine::WindowName};
    for (const AnalysisWindow &w : analysisWindows()) {
        if (w.build)
            windows << w.className;
    }
    const std::optional<DrawHistoryStore> loaded = loadStoreFor(options, windows, json);
    if (!loaded)
        return Failure;
    const DrawHistoryStore &store = *loaded;
    ExportOutput output(stdout);
    bool ok = true;
    bool first = true;
    auto next = [&](const QString &name) {
        if (json) {
            output.put(first ? "[\n" : ",\n");
        } else {
            if (!first)
                output.put('\n');
            output.put(name);
            output.put('\n');
        }
        first = false;
    };
    next(PredictionEngine::WindowName);
    ok = writePrediction(output, *engine, store, json) && ok;
    for (const AnalysisWindow &w : analysisWindows()) {
        if (!w.build)
            continue;
        next(w.className);
        ok = writeAnalysis(output, w, store, json) && ok;
    }
    if (json)
        output.put("\n]\n");
    return ok ? Success : Failure;
}

int exportWindow(const Options &options)
{
    const QString format = options.value(QStringLiteral("--format"), QStringLiteral("json"));
    if (format != QLatin1String("json") && format != QLatin1String("csv"))
        return usage(QStringLiteral("--format は json か csv です。"));
    const bool json = format == QLatin1String("json");
    if (options.has(QStringLiteral("--all")))
        return exportAll(options, json);
    QString problem;
    if (isPrediction(options)) {
        std::optional<PredictionEngine> engine = predictionEngine(options, &problem);
        if (!engine)
            return usage(problem);
        const std::optional<DrawHistoryStore> store = loadStoreFor(options, {PredictionEngine::WindowName}, json);
        if (!store)
            return Failure;
        ExportOutput output(stdout);
        const bool ok = writePrediction(output, *engine, *store, json);
        if (json)
            output.put('\n');
        return ok ? Success : Failure;
    }
    const AnalysisWindow *w = windowArgument(options, &problem);
    if (!w)
        return usage(problem);
    const std::optional<DrawHistoryStore> store = loadStoreFor(options, {w->className}, json);
    if (!store)
        return Failure;
    ExportOutput output(stdout);
    const bool ok = writeAnalysis(output, *w, *store, json);
    if (json)
        output.put('\n');
    return ok ? Success : Failure;
}

int renderPrediction(const Options &options)
{
    QString problem;
    std::optional<PredictionEngine> engine = predictionEngine(options, &problem);
    if (!engine)
        return usage(problem);
    const DrawHistoryStore store = loadStore(options);
    const QImage image = PredictionWindow::render(*engine, store);
    if (!image.save(options.value(QStringLiteral("--png")), "PNG")) {
        err(QStringLiteral("画像ファイル「%1」を書き込めません。").arg(options.value(QStringLiteral("--png"))));
        return Failure;
    }
    return Success;
}

// The window's whole table as the printed pages, written as a PDF file; a
// line of JSON tells how many pages it took.
int renderPdf(const Options &options)
{
    const QString path = options.value(QStringLiteral("--pdf"));
    SheetPrinter::Document document;
    QString name;
    if (isPrediction(options)) {
        QString problem;
        std::optional<PredictionEngine> engine = predictionEngine(options, &problem);
        if (!engine)
            return usage(problem);
        const DrawHistoryStore store = loadStore(options);
        engine->SetUpPredictionGrids(store);
        name = PredictionEngine::WindowName;
        document = PredictionWindow::printDocument(*engine, TableOutput::drawRange(store));
    } else {
        QString problem;
        const AnalysisWindow *w = windowArgument(options, &problem);
        if (!w)
            return usage(problem);
        name = w->className;
        document = AnalysisFrame::printDocument(*w, loadStore(options));
    }
    QString problem;
    const int pages = SheetPrinter::writePdf(path, document, options.has(QStringLiteral("--fit-width")), &problem);
    if (pages == 0) {
        err(problem);
        return Failure;
    }
    out(QStringLiteral("{\"window\": %1, \"pdf\": %2, \"pages\": %3, \"landscape\": %4}\n")
            .arg(SheetExport::jsonString(name), SheetExport::jsonString(path), QString::number(pages),
                 SheetPrinter::prefersLandscape(document) ? QStringLiteral("true") : QStringLiteral("false")));
    return Success;
}

int render(const Options &options)
{
    if (options.has(QStringLiteral("--pdf")))
        return renderPdf(options);
    if (isPrediction(options) && options.has(QStringLiteral("--png")))
        return renderPrediction(options);
    QString problem;
    const AnalysisWindow *w = windowArgument(options, &problem);
    if (!w)
        return usage(problem);
    if (!options.has(QStringLiteral("--png")))
        return usage(QStringLiteral("render には --png か --pdf が必要です。"));
    const DrawHistoryStore store = loadStore(options);
    const QImage image = AnalysisFrame::render(*w, store);
    if (image.isNull()) {
        err(QStringLiteral("%1 を表示できません。").arg(w->className));
        return Failure;
    }
    if (!image.save(options.value(QStringLiteral("--png")), "PNG")) {
        err(QStringLiteral("画像ファイル「%1」を書き込めません。").arg(options.value(QStringLiteral("--png"))));
        return Failure;
    }
    return Success;
}

// The menu item 当選データ最新化 without the window: the same routine, its
// message on stdout when the database was replaced and on stderr otherwise.
int update(const Options &options)
{
    QUrl url = DrawDataUpdate::defaultUrl();
    if (options.has(QStringLiteral("--url"))) {
        url = QUrl(options.value(QStringLiteral("--url")), QUrl::StrictMode);
        if (!url.isValid() || url.scheme().isEmpty())
            return usage(QStringLiteral("--url が正しくありません: %1").arg(options.value(QStringLiteral("--url"))));
    }
    if (!options.positional.isEmpty())
        return usage(QStringLiteral("update は引数を取りません: %1").arg(options.positional.join(QLatin1Char(' '))));
    const DrawDataUpdate::Result result
        = DrawDataUpdate::update(url, databasePath(options));
    if (!result.succeeded()) {
        err(result.message);
        return Failure;
    }
    out(result.message + QLatin1Char('\n'));
    return Success;
}

std::optional<int> wholeNumber(const Options &options, const QString &name, QString *problem)
{
    if (!options.has(name))
        return std::nullopt;
    bool ok = false;
    const int value = options.value(name).toInt(&ok);
    if (!ok)
        *problem = QStringLiteral("%1 には整数を指定してください: %2").arg(name, options.value(name));
    return value;
}

// The randomness tests of the window ランダム性の検定, for scripts.
int randomness(const Options &options)
{
    const QString format = options.value(QStringLiteral("--format"), QStringLiteral("json"));
    if (format != QLatin1String("json") && format != QLatin1String("csv"))
        return usage(QStringLiteral("--format は json か csv です。"));
    QString problem;
    Randomness::Range range;
    range.last = wholeNumber(options, QStringLiteral("--last"), &problem);
    range.from = wholeNumber(options, QStringLiteral("--from"), &problem);
    range.to = wholeNumber(options, QStringLiteral("--to"), &problem);
    if (problem.isEmpty() && range.last && (range.from || range.to))
        problem = QStringLiteral("--last と --from/--to は同時に指定できません。");
    if (!problem.isEmpty())
        return usage(problem);
    const DrawHistoryStore store = loadStore(options);
    Randomness::Report report;
    try {
        report = Randomness::analyse(store, range);
    } catch (const std::invalid_argument &error) {
        err(QString::fromStdString(error.what()));
        return Failure;
    }
    out(format == QLatin1String("csv") ? Randomness::reportCsv(report)
                                       : QString::fromUtf8(Randomness::reportJson(report)) + QLatin1Char('\n'));
    if (!report.problem.isEmpty()) {
        err(report.problem);
        return Failure;
    }
    return Success;
}

// 予想の検証 without the window: the walk-forward test over a range of
// draws, and with --search the 4 096 reflect sets on its first half.
int backtest(const Options &options)
{
    const QString format = options.value(QStringLiteral("--format"), QStringLiteral("json"));
    if (format != QLatin1String("json") && format != QLatin1String("csv"))
        return usage(QStringLiteral("--format は json か csv です。"));
    if (!options.positional.isEmpty())
        return usage(QStringLiteral("backtest は引数を取りません: %1").arg(options.positional.join(QLatin1Char(' '))));
    const std::optional<ReflectFlags> flags =
        PredictionExport::parseReflectList(options.value(QStringLiteral("--reflect")));
    if (!flags)
        return usage(QStringLiteral("--reflect は 0 から 11 の番号をカンマで区切って指定してください: %1")
                         .arg(options.value(QStringLiteral("--reflect"))));
    const DrawHistoryStore store = loadStore(options);
    Backtest::Range range = Backtest::defaultRange(store);
    for (const auto &[name, bound] : {std::pair{QStringLiteral("--from"), &range.from},
                                      std::pair{QStringLiteral("--to"), &range.to}}) {
        if (!options.has(name))
            continue;
        bool ok = false;
        *bound = options.value(name).trimmed().toInt(&ok);
        if (!ok)
            return usage(QStringLiteral("%1 には回数を整数で指定してください: %2").arg(name, options.value(name)));
    }
    if (const QString problem = Backtest::checkRange(store, range); !problem.isEmpty()) {
        err(problem);
        return Failure;
    }
    const std::optional<Backtest::Result> result = Backtest::run(store, range, *flags);
    std::optional<Backtest::SearchResult> found;
    if (options.has(QStringLiteral("--search"))) {
        found = Backtest::search(store, range);
        if (!found) {
            err(QStringLiteral("設定の探索には検証する回が2回以上必要です。"));
            return Failure;
        }
    }
    if (format == QLatin1String("csv")) {
        out(BacktestExport::csv(*result));
        if (found)
            out(QLatin1Char('\n') + Backtest::searchText(*found));
    } else {
        out(BacktestExport::json(*result, found ? &*found : nullptr) + QLatin1Char('\n'));
    }
    return Success;
}

// 当選データ取込 and 当選データ書出し without the window.
int importOrSave(const QString &command, const Options &options)
{
    const QString format = options.value(QStringLiteral("--format"), QStringLiteral("text"));
    if (format != QLatin1String("text") && format != QLatin1String("json"))
        return usage(QStringLiteral("--format は text か json です。"));
    if (options.positional.size() != 1)
        return usage(QStringLiteral("%1 にはファイルを一つ指定してください。").arg(command));
    const bool json = format == QLatin1String("json");
    if (command == QLatin1String("save-csv")) {
        const int status = runSaveCsv(databasePath(options), options.positional.first(),
                                      options.value(QStringLiteral("--encoding")), json);
        return status == Usage ? usage({}) : status;
    }
    return runImport({options.positional.first(), databasePath(options),
                      options.has(QStringLiteral("--dry-run")), options.has(QStringLiteral("--overwrite")), json});
}

} // namespace

QString programDatabase()
{
    return defaultDatabase();
}

bool needsGui(const QString &command)
{
    return command == QLatin1String("render");
}

int run(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage({});
    const QString command = arguments.first();
    const QStringList rest = arguments.mid(1);
    if (command == QLatin1String("tickets"))
        return tickets(rest);
    const QStringList valued{QStringLiteral("--db"), QStringLiteral("--from-csv"), QStringLiteral("--format"),
                             QStringLiteral("--reflect"), QStringLiteral("--png"), QStringLiteral("--url"),
                             QStringLiteral("--last"), QStringLiteral("--from"), QStringLiteral("--to"),
                             QStringLiteral("--pdf"), QStringLiteral("--encoding")};
    const QStringList flags{QStringLiteral("--force"), QStringLiteral("--all"), QStringLiteral("--fit-width"),
                            QStringLiteral("--search"), QStringLiteral("--dry-run"), QStringLiteral("--overwrite")};
    QString problem;
    const std::optional<Options> options = parse(rest, valued, flags, &problem);
    if (!options)
        return usage(problem);

    try {
        if (command == QLatin1String("create-db"))
            return createDb(*options);
        if (command == QLatin1String("dump-db"))
            return dumpDb(*options);
        if (command == QLatin1String("summary"))
            return summary(*options);
        if (command == QLatin1String("list"))
            return list();
        if (command == QLatin1String("export"))
            return exportWindow(*options);
        if (command == QLatin1String("render"))
            return render(*options);
        if (command == QLatin1String("update"))
            return update(*options);
        if (command == QLatin1String("randomness"))
            return randomness(*options);
        if (command == QLatin1String("backtest"))
            return backtest(*options);
        if (command == QLatin1String("import") || command == QLatin1String("save-csv"))
            return importOrSave(command, *options);
    } catch (const DatabaseError &error) {
        err(error.message());
        return Failure;
    } catch (const RuntimeError &error) {
        err(error.message());
        return Failure;
    }
    return usage(QStringLiteral("不明なコマンドです: %1").arg(command));
}

} // namespace Cli
