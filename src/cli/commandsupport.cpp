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

int usage(const QString &problem, const CommandSpec *command)
{
    if (!problem.isEmpty())
        err(problem);
    err((command ? usageText(*command) : usageText()).chopped(1));
    return Usage;
}

int help()
{
    out(usageText());
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

const AnalysisWindow &windowArgument(const Options &options)
{
    if (options.positional.size() != 1)
        throw UsageError{QStringLiteral("ウィンドウ名を一つ指定してください。")};
    const AnalysisWindow *w = findAnalysisWindow(options.positional.first());
    if (!w || !w->build)
        throw UsageError{QStringLiteral("そのようなウィンドウはありません: %1").arg(options.positional.first())};
    return *w;
}

bool isPrediction(const Options &options)
{
    return options.positional.size() == 1 && options.positional.first() == PredictionEngine::WindowName;
}

ReflectFlags reflectOption(const Options &options)
{
    const QString list = options.value(QStringLiteral("--reflect"));
    const std::optional<ReflectFlags> flags = PredictionExport::parseReflectList(list);
    if (!flags)
        throw UsageError{QStringLiteral("--reflect は 0 から 11 の番号をカンマで区切って指定してください: %1").arg(list)};
    return *flags;
}

// The options file is not read, so the output depends on the command line only.
PredictionEngine predictionEngine(const Options &options)
{
    PredictionEngine engine;
    engine.setFlags(reflectOption(options));
    return engine;
}

} // namespace Cli
