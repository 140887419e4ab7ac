#include "app/gui/startup.h"
#include "prediction/predictionexport.h"
#include "store/globalbas.h"

#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

QString programFolder(const char *argv0)
{
    return QFileInfo(QString::fromLocal8Bit(argv0)).absoluteDir().canonicalPath();
}

// Without a display there is no window to show: say how to get one, and show
// the predictions the window would have opened with (options from the
// options file in the working directory, as the window reads them).
int runWithoutDisplay(const QString &folder)
{
    std::fputs("ディスプレイが見つかりません。 No display was found.\n"
               "ウィンドウで起動するには xvfb-run を使ってください / to start the window under a virtual display:\n"
               "  xvfb-run -a build/bin/loto6kermon\n\n",
               stderr);
    try {
        const DrawHistoryStore store = LoadDrawHistory(folder);
        PredictionEngine engine;
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
    if (!displayAvailable())
        return runWithoutDisplay(programFolder(argv[0]));

    return Startup::run(argc, argv);
}
