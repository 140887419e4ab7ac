#include "cli/commandsupport.h"

#include "prediction/predictionexport.h"
#include "store/datalocation.h"
#include "store/drawdatabase.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace Cli {

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

int finish(int status)
{
    // Every command prints through stdout's buffer: a write that failed on
    // the way (a full disk, /dev/full) left the stream's error flag set, and
    // what is still buffered goes out now. Closing catches a file system
    // that reports only then. Nothing may be printed after this.
    errno = 0;
    bool failed = std::fflush(stdout) != 0;
    int reason = errno;
    failed = std::ferror(stdout) != 0 || failed;
    errno = 0;
    if (std::fclose(stdout) != 0 && !failed) {
        failed = true;
        reason = errno;
    }
    if (!failed)
        return status;
    err(QStringLiteral("標準出力に書き込めませんでした。出力は完全ではありません。%1")
            .arg(reason != 0 ? QStringLiteral("（%1）").arg(QString::fromLocal8Bit(std::strerror(reason))) : QString()));
    return status == Success ? Failure : status;
}

namespace {

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
    "  update [--url URL] [--force]\n"
    "  randomness [--last N | --from A --to B] [--format json|csv]\n"
    "  backtest [--from N] [--to M] [--reflect 0,1,5] [--search] [--format json|csv]\n"
    "  tickets add|list|check|import|export|prize [--ledger FILE] ...\n"
    "  import FILE|- [--dry-run] [--overwrite] [--ledger FILE] [--format text|json]\n"
    "  import --url URL [--dry-run] [--overwrite] [--ledger FILE] [--format text|json]\n"
    "  save-csv OUT [--encoding utf-8|shift_jis] [--format text|json]\n"
    "  wheel --numbers 1,2,... --if M --match T [--seconds S] [--seed N] [--format json|csv] [--draw N]\n"
    "  combos [--numbers 1,2,...] [--sum A-B] [--odd A-B] [--low A-B] [--consecutive A-B] [--last-digit A-B]\n"
    "         [--previous A-B] [--groups D:A-B] [--count-only] [--limit N] [--format json|csv] [--draw N]\n"
    "  --help | -h | help\n"
    "  --version\n"
    "終了コード / exit status: 0 成功（または何もすることがない）、1 失敗（何も書き込んでいない）、\n"
    "  2 使い方の誤り、3 import の一部の行だけを書き込み、ほかの行はエラー\n";

} // namespace

int usage(const QString &problem)
{
    if (!problem.isEmpty())
        err(problem);
    err(QString::fromUtf8(UsageText));
    return Usage;
}

int help()
{
    out(QString::fromUtf8(UsageText));
    return Success;
}

// The database the program itself uses; for an installed program that is the
// user's copy, made at the first start of either the program or this tool.
QString programDatabase()
{
    const QString programFolder = QCoreApplication::applicationDirPath();
    if (const QString problem = DataLocation::prepare(programFolder); !problem.isEmpty())
        throw DatabaseError(problem);
    return DataLocation::databaseFile(programFolder);
}

// --db, or the program's own database (made only when it is the one asked for).
QString databasePath(const Options &options)
{
    return options.has(QStringLiteral("--db")) ? options.value(QStringLiteral("--db")) : programDatabase();
}

DrawHistoryStore loadStore(const Options &options)
{
    return loadDrawHistoryFrom(databasePath(options));
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

} // namespace Cli
