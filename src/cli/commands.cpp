#include "cli/commands.h"
#include "cli/commandsupport.h"
#include "cli/options.h"
#include "cli/importcommands.h"
#include "cli/summary.h"
#include "cli/tickets.h"
#include "cli/wheelcommands.h"

#include "analysis/catalog.h"
#include "analysis/randomness.h"
#include "maintenance/drawdataupdate.h"
#include "maintenance/drawimportreader.h"
#include "maintenance/drawimportweb.h"
#include "maintenance/ticketledger.h"
#include "prediction/backtest.h"
#include "prediction/backtestexport.h"
#include "prediction/backtestwheel.h"
#include "prediction/predictionexport.h"
#include "store/boundedinput.h"
#include "store/datalocation.h"
#include "store/drawcsv.h"
#include "store/drawdatabase.h"
#include "store/globalbas.h"
#include "ui/sheetexport.h"
#include "ui/tableoutput.h"
#include "version.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace Cli {

namespace {

int createDb(const Options &options)
{
    if (!options.has(QStringLiteral("--from-csv")) || !options.has(QStringLiteral("--db")))
        throw UsageError{QStringLiteral("create-db には --from-csv と --db が必要です。")};
    const QString csv = options.value(QStringLiteral("--from-csv"));
    const BoundedInput::Result input = BoundedInput::readFile(csv);
    if (!input.ok()) {
        err(input.problem);
        return Failure;
    }
    // The encodings a spreadsheet saves and save-csv writes.
    DrawCsv::createDatabase(DrawImport::decode(input.bytes), csv, options.value(QStringLiteral("--db")),
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

} // namespace

namespace {

// A window's table as built for the export, or why it could not be built.
struct BuiltWindow
{
    std::optional<Sheet> sheet; // analysis windows; the prediction keeps its grids in its engine
    QString error;
};

BuiltWindow buildPrediction(PredictionEngine &engine, const DrawHistoryStore &store)
{
    try {
        engine.SetUpPredictionGrids(store);
    } catch (const RuntimeError &error) {
        return {std::nullopt, error.message()};
    }
    return {};
}

BuiltWindow buildAnalysis(const AnalysisWindow &w, const DrawHistoryStore &store)
{
    try {
        return {w.build(store), {}};
    } catch (const RuntimeError &error) {
        return {std::nullopt, error.message()};
    }
}

// Writes a built window: an analysis window w, or without one the
// prediction of engine. A build that failed writes nothing of the table:
// the error object in JSON and the message on stderr, and returns false.
bool writeBuilt(ExportOutput &output, const BuiltWindow &built, const AnalysisWindow *w,
                const PredictionEngine *engine, bool json)
{
    const QString name = w ? w->className : QString(PredictionEngine::WindowName);
    if (!built.error.isEmpty()) {
        if (json)
            output.put(SheetExport::errorJson(name, built.error));
        err(QStringLiteral("%1: %2").arg(name, built.error));
        return false;
    }
    if (!w) {
        if (json)
            PredictionExport::writeJson(output, *engine);
        else
            PredictionExport::writeCsv(output, *engine);
    } else if (json) {
        SheetExport::writeWindowJson(output, w->className, w->caption, *built.sheet);
    } else {
        SheetExport::writeCsv(output, *built.sheet);
    }
    return true;
}

bool writePrediction(ExportOutput &output, PredictionEngine &engine, const DrawHistoryStore &store, bool json)
{
    return writeBuilt(output, buildPrediction(engine, store), nullptr, &engine, json);
}

bool writeAnalysis(ExportOutput &output, const AnalysisWindow &w, const DrawHistoryStore &store, bool json)
{
    return writeBuilt(output, buildAnalysis(w, store), &w, nullptr, json);
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
        throw UsageError{QStringLiteral("--all とウィンドウ名は一緒に指定できません。")};
    PredictionEngine engine = predictionEngine(options);
    QStringList windows{PredictionEngine::WindowName};
    for (const AnalysisWindow &w : analysisWindows()) {
        if (w.build)
            windows << w.className;
    }
    const std::optional<DrawHistoryStore> loaded = loadStoreFor(options, windows, json);
    if (!loaded)
        return Failure;
    const DrawHistoryStore &store = *loaded;

    // Tables are built on a second thread while this one writes them in
    // order; when the next one to write is not ready this thread builds one
    // too, so both processors stay busy. Only a few tables beyond the one
    // being written are built ahead: memory stays that of a few compact
    // sheets however long the history.
    std::vector<const AnalysisWindow *> order{nullptr};
    for (const AnalysisWindow &w : analysisWindows()) {
        if (w.build)
            order.push_back(&w);
    }
    constexpr size_t Ahead = 3;
    std::vector<std::optional<BuiltWindow>> built(order.size());
    std::mutex mutex;
    std::condition_variable changed;
    size_t written = 0;
    size_t nextToBuild = 0;
    const auto mayBuild = [&] { return nextToBuild < order.size() && nextToBuild < written + Ahead; };
    // Builds the window claimed (the lock released meanwhile) and files it.
    const auto buildClaimed = [&](std::unique_lock<std::mutex> &lock) {
        const size_t i = nextToBuild++;
        lock.unlock();
        BuiltWindow window = order[i] ? buildAnalysis(*order[i], store) : buildPrediction(engine, store);
        lock.lock();
        built[i] = std::move(window);
        changed.notify_all();
    };
    std::thread builder([&] {
        std::unique_lock lock(mutex);
        while (true) {
            changed.wait(lock, [&] { return mayBuild() || nextToBuild == order.size(); });
            if (nextToBuild == order.size())
                return;
            buildClaimed(lock);
        }
    });

    ExportOutput output(stdout);
    bool ok = true;
    for (size_t i = 0; i < order.size(); ++i) {
        std::optional<BuiltWindow> window;
        {
            std::unique_lock lock(mutex);
            while (!built[i]) {
                if (mayBuild())
                    buildClaimed(lock);
                else
                    changed.wait(lock);
            }
            window = std::exchange(built[i], std::nullopt);
        }
        if (json) {
            output.put(i == 0 ? "[\n" : ",\n");
        } else {
            if (i > 0)
                output.put('\n');
            output.put(order[i] ? order[i]->className : QString(PredictionEngine::WindowName));
            output.put('\n');
        }
        ok = writeBuilt(output, *window, order[i], &engine, json) && ok;
        window.reset();
        const std::lock_guard lock(mutex);
        ++written;
        changed.notify_all();
    }
    builder.join();
    if (json)
        output.put("\n]\n");
    return ok ? Success : Failure;
}

int exportWindow(const Options &options)
{
    const bool json = options.value(QStringLiteral("--format")) == QLatin1String("json");
    if (options.has(QStringLiteral("--all")))
        return exportAll(options, json);
    if (isPrediction(options)) {
        PredictionEngine engine = predictionEngine(options);
        const std::optional<DrawHistoryStore> store = loadStoreFor(options, {PredictionEngine::WindowName}, json);
        if (!store)
            return Failure;
        ExportOutput output(stdout);
        const bool ok = writePrediction(output, engine, *store, json);
        if (json)
            output.put('\n');
        return ok ? Success : Failure;
    }
    const AnalysisWindow &w = windowArgument(options);
    const std::optional<DrawHistoryStore> store = loadStoreFor(options, {w.className}, json);
    if (!store)
        return Failure;
    ExportOutput output(stdout);
    const bool ok = writeAnalysis(output, w, *store, json);
    if (json)
        output.put('\n');
    return ok ? Success : Failure;
}

// The menu item 当選データ最新化 without the window: the same routine, its
// message on stdout when the database was replaced and on stderr otherwise.
int update(const Options &options)
{
    QUrl url = DrawDataUpdate::defaultUrl();
    if (options.has(QStringLiteral("--url"))) {
        url = QUrl(options.value(QStringLiteral("--url")), QUrl::StrictMode);
        if (!url.isValid() || url.scheme().isEmpty())
            throw UsageError{QStringLiteral("--url が正しくありません: %1").arg(options.value(QStringLiteral("--url")))};
    }
    // --force: a download older than the database replaces it all the same.
    DrawDataUpdate::ReplaceOlder replaceOlder;
    if (options.has(QStringLiteral("--force")))
        replaceOlder = [](const DrawDataUpdate::OlderDownload &) { return true; };
    const DrawDataUpdate::Result result = DrawDataUpdate::update(url, databasePath(options), {}, replaceOlder);
    if (!result.succeeded()) {
        err(result.message);
        if (result.status == DrawDataUpdate::Status::Older)
            err(QStringLiteral("古いデータで置き換えるには --force を付けてください。"));
        return Failure;
    }
    out(result.message + QLatin1Char('\n'));
    return Success;
}

// A command's failure in the format asked for: with --format json a JSON
// object with "error" on stdout too (as export prints one), so that a script
// reading the JSON learns why; the message on stderr, exit 1.
int failure(const QString &message, bool json)
{
    if (json)
        out(QStringLiteral("{\"error\":%1}\n").arg(SheetExport::jsonString(message)));
    err(message);
    return Failure;
}

// The randomness tests of the window ランダム性の検定, for scripts.
int randomness(const Options &options)
{
    const bool json = options.value(QStringLiteral("--format")) == QLatin1String("json");
    Randomness::Range range;
    // Only the form is checked here: a range outside the history is the
    // command's failure, said in its format.
    range.last = options.integer(QStringLiteral("--last"));
    range.from = options.integer(QStringLiteral("--from"));
    range.to = options.integer(QStringLiteral("--to"));
    if (range.last && (range.from || range.to))
        throw UsageError{QStringLiteral("--last と --from/--to は同時に指定できません。")};
    Randomness::Report report;
    try {
        report = Randomness::analyse(loadStore(options), range);
    } catch (const std::invalid_argument &error) {
        return failure(QString::fromStdString(error.what()), json);
    } catch (const DatabaseError &error) {
        return failure(error.message(), json);
    } catch (const RuntimeError &error) {
        return failure(error.message(), json);
    }
    out(json ? QString::fromUtf8(Randomness::reportJson(report)) + QLatin1Char('\n') : Randomness::reportCsv(report));
    if (!report.problem.isEmpty()) {
        err(report.problem);
        return Failure;
    }
    return Success;
}

// 予想の検証 without the window: the walk-forward test over a range of
// draws with the reduced-wheel strategy, and with --search the 4 096 reflect
// sets on its first half.
int backtest(const Options &options)
{
    const bool json = options.value(QStringLiteral("--format")) == QLatin1String("json");
    const ReflectFlags flags = reflectOption(options);
    const std::optional<int> from = options.integer(QStringLiteral("--from"));
    const std::optional<int> to = options.integer(QStringLiteral("--to"));
    try {
        const DrawHistoryStore store = loadStore(options);
        const Backtest::Range defaults = Backtest::defaultRange(store);
        const Backtest::Range range{from.value_or(defaults.from), to.value_or(defaults.to)};
        if (const QString problem = Backtest::checkRange(store, range); !problem.isEmpty())
            return failure(problem, json);
        std::optional<Backtest::Result> result = Backtest::run(store, range, flags);
        Backtest::WheelBook wheels;
        Backtest::addWheelStrategy(*result, wheels);
        std::optional<Backtest::SearchResult> found;
        if (options.has(QStringLiteral("--search"))) {
            found = Backtest::search(store, range);
            if (!found)
                return failure(QStringLiteral("設定の探索には検証する回が2回以上必要です。"), json);
        }
        if (!json) {
            out(BacktestExport::csv(*result));
            if (found)
                out(QLatin1Char('\n') + Backtest::searchText(*found));
        } else {
            out(BacktestExport::json(*result, found ? &*found : nullptr) + QLatin1Char('\n'));
        }
    } catch (const DatabaseError &error) {
        return failure(error.message(), json);
    } catch (const RuntimeError &error) {
        return failure(error.message(), json);
    }
    return Success;
}

// 当選データ取込 and 当選データ書出し without the window.
int importOrSave(const QString &command, const Options &options)
{
    const bool fromWeb = command == QLatin1String("import") && options.has(QStringLiteral("--url"));
    if (fromWeb && !options.positional.isEmpty())
        throw UsageError{QStringLiteral("import にはファイルか --url のどちらか一つを指定してください。")};
    if (!fromWeb && options.positional.size() != 1)
        throw UsageError{QStringLiteral("%1 にはファイルを一つ指定してください。").arg(command)};
    if (fromWeb) {
        if (const QString problem = DrawImport::parseWebAddress(options.value(QStringLiteral("--url"))).problem; !problem.isEmpty())
            throw UsageError{problem};
    }
    const bool json = options.value(QStringLiteral("--format")) == QLatin1String("json");
    if (command == QLatin1String("save-csv")) {
        const int status = runSaveCsv(databasePath(options), options.positional.first(),
                                      options.value(QStringLiteral("--encoding")), json);
        if (status == Usage)
            throw UsageError{}; // the reason is said already
        return status;
    }
    const QString ledger = options.value(QStringLiteral("--ledger"), TicketLedger::defaultPath(QCoreApplication::applicationDirPath()));
    return runImport({fromWeb ? QString() : options.positional.first(), options.value(QStringLiteral("--url")),
                      databasePath(options), ledger, options.has(QStringLiteral("--dry-run")),
                      options.has(QStringLiteral("--overwrite")), json});
}

// Pictures and printed pages need Qt's GUI libraries, which take longer to
// load than most commands take to run; a program of their own beside this
// one (or in the installed program's libexec folder) draws them.
int renderThroughHelper(const QStringList &arguments)
{
    const QString folder = DataLocation::helperFolder(QCoreApplication::applicationDirPath());
    const QString helper = QStandardPaths::findExecutable(QStringLiteral("loto6kermon-render"), {folder});
    if (helper.isEmpty()) {
        err(QStringLiteral("描画用のプログラム loto6kermon-render が見つかりません（%1）。").arg(folder));
        return Failure;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.setInputChannelMode(QProcess::ForwardedInputChannel);
    process.start(helper, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit) {
        err(QStringLiteral("描画用のプログラム「%1」が異常終了しました。").arg(helper));
        return Failure;
    }
    return process.exitCode();
}

} // namespace

namespace {

int runCommand(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return usage({});
    const QString command = arguments.first();
    const QStringList rest = arguments.mid(1);
    // Asked for, the usage is the answer: stdout and success.
    if (command == QLatin1String("--help") || command == QLatin1String("-h") || command == QLatin1String("help"))
        return help();
    if (command == QLatin1String("--version")) {
        out(QStringLiteral("loto6kermon-cli %1\n").arg(QLatin1String(ProgramVersion)));
        return Success;
    }
    if (command == QLatin1String("tickets"))
        return tickets(rest);
    const CommandSpec *spec = findCommand(command);
    if (!spec)
        return usage(QStringLiteral("不明なコマンドです: %1").arg(command));

    try {
        const Options options = Options::parse(*spec, rest);
        if (command == QLatin1String("create-db"))
            return createDb(options);
        if (command == QLatin1String("dump-db"))
            return dumpDb(options);
        if (command == QLatin1String("summary"))
            return summary(options);
        if (command == QLatin1String("list"))
            return list();
        if (command == QLatin1String("export"))
            return exportWindow(options);
        if (command == QLatin1String("render"))
            return renderThroughHelper(arguments);
        if (command == QLatin1String("update"))
            return update(options);
        if (command == QLatin1String("randomness"))
            return randomness(options);
        if (command == QLatin1String("backtest"))
            return backtest(options);
        if (command == QLatin1String("import") || command == QLatin1String("save-csv"))
            return importOrSave(command, options);
        if (command == QLatin1String("wheel"))
            return wheel(options);
        if (command == QLatin1String("combos"))
            return combos(options);
    } catch (const UsageError &error) {
        return usage(error.message, spec);
    } catch (const DatabaseError &error) {
        err(error.message());
        return Failure;
    } catch (const RuntimeError &error) {
        err(error.message());
        return Failure;
    }
    return usage(QStringLiteral("不明なコマンドです: %1").arg(command));
}

} // namespace

int run(const QStringList &arguments)
{
    return finish(runCommand(arguments));
}

} // namespace Cli
