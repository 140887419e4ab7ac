#include "app/gui/startup.h"
#include "prediction/optionsfile.h"
#include "prediction/predictionexport.h"
#include "store/datalocation.h"
#include "store/globalbas.h"

#include <QCoreApplication>

#include <cstdio>

namespace {

bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
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
        std::printf("%s", PredictionExport::text(engine).toUtf8().constData());
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
    if (!displayAvailable()) {
        // The program's folder is where the executable really is (Qt reads
        // /proc/self/exe), never argv[0]: started by name from the PATH,
        // argv[0] has no folder, and the working directory would be taken
        // for a portable copy of the program.
        const QCoreApplication app(argc, argv);
        return runWithoutDisplay(QCoreApplication::applicationDirPath());
    }

    return Startup::run(argc, argv);
}
