#include "app/gui/startup.h"
#include "prediction/optionsfile.h"
#include "prediction/predictionexport.h"
#include "store/datalocation.h"
#include "store/globalbas.h"
#include "version.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

const char *const UsageText =
    "使い方 / usage: loto6kermon [--help | --version] [Qt のオプション / Qt's options]\n"
    "  ロト6ケルモンLite のウィンドウを開きます。ディスプレイがないときは、一発ケルモン予想の\n"
    "  4つの予想を表示します（反映オプションは ロト6ケルモン.ini から読みます）。\n"
    "  Opens the program's window; without a display, prints the four predictions.\n"
    "  --help, -h   この説明 / this help\n"
    "  --version    バージョン / the version\n"
    "  Qt のオプション（-platform NAME、-style NAME など）はウィンドウに使われます。\n"
    "  Qt's own options (-platform NAME, -style NAME, ...) apply to the window.\n"
    "ウィンドウなしの計算 / the same computations without a window: loto6kermon-cli --help\n";

// Standard output as the exit status sees it: a write that did not reach it
// (a full disk, a closed pipe) is a failure, not a success.
int print(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
    return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
}

// --help and --version answer before anything else, without a display.
bool asked(int argc, char *argv[], std::initializer_list<const char *> names)
{
    for (int i = 1; i < argc; ++i) {
        for (const char *name : names) {
            if (std::strcmp(argv[i], name) == 0)
                return true;
        }
    }
    return false;
}

// A display, or a platform chosen on the command line (-platform offscreen
// needs none).
bool displayAvailable(int argc, char *argv[])
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || asked(argc, argv, {"-platform", "--platform"});
}

// What is left of the command line once Qt has taken its own options is
// none of ours either: a usage error, before any window opens.
std::optional<int> refuseUnknown(const QStringList &rest)
{
    if (rest.isEmpty())
        return std::nullopt;
    std::fprintf(stderr, "不明なオプションです / unknown option: %s\n%s", rest.first().toLocal8Bit().constData(), UsageText);
    return 2;
}

// Without a display there is no window to show: say how to get one, and show
// the predictions the window would have opened with (options from the
// options file, found where the window finds it).
int runWithoutDisplay(const QString &folder)
{
    // Installed, the program is on the PATH rather than in the build folder.
    std::fprintf(stderr,
                 "ディスプレイが見つかりません。 No display was found.\n"
                 "ウィンドウで起動するには xvfb-run を使ってください / to start the window under a virtual display:\n"
                 "  xvfb-run -a %s\n\n",
                 DataLocation::isPortable(folder) ? "build/bin/loto6kermon" : "loto6kermon");
    try {
        if (const QString problem = DataLocation::prepare(folder); !problem.isEmpty())
            throw DatabaseError(problem);
        const DrawHistoryStore store = LoadDrawHistory(DataLocation::databaseFolder(folder));
        PredictionEngine engine;
        engine.setInitFile(DataLocation::settingsFile(folder, OptionsFile::FileName));
        engine.ReadInitFile();
        engine.SetUpPredictionGrids(store);
        if (print(PredictionExport::text(engine).toUtf8()) != 0) {
            std::fprintf(stderr, "予想を出力できません。 The predictions could not be written.\n");
            return 1;
        }
    } catch (const DatabaseError &error) {
        std::fprintf(stderr, "%s\n", error.message().toUtf8().constData());
        return 1;
    } catch (const RuntimeError &error) {
        std::fprintf(stderr, "%s: %s\n", PredictionEngine::WindowName.toUtf8().constData(),
                     error.message().toUtf8().constData());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (asked(argc, argv, {"--help", "-h"}))
        return print(UsageText);
    if (asked(argc, argv, {"--version"}))
        return print(QByteArray("loto6kermon ") + ProgramVersion + '\n');
    if (!displayAvailable(argc, argv)) {
        // The program's folder is where the executable really is (Qt reads
        // /proc/self/exe), never argv[0]: started by name from the PATH,
        // argv[0] has no folder, and the working directory would be taken
        // for a portable copy of the program.
        const QCoreApplication app(argc, argv);
        // Without a window no option of Qt's applies either.
        if (const std::optional<int> refused = refuseUnknown(QCoreApplication::arguments().mid(1)))
            return *refused;
        return runWithoutDisplay(QCoreApplication::applicationDirPath());
    }

    return Startup::run(argc, argv, {}, &refuseUnknown);
}
