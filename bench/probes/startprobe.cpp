// The program's own start-up, ending at the first frame that shows the
// prediction window (see firstframe.h).
#include "app/gui/mainfrm.h"
#include "app/gui/startup.h"
#include "firstframe.h"
#include "prediction/predictionengine.h"

#include <QElapsedTimer>

#include <cstdio>
#include <cstring>
#include <memory>

int main(int argc, char *argv[])
{
    // With --trace, when the main window was built and when the prediction
    // first painted, in ms from the start of main, on stderr.
    const bool trace = argc > 1 && std::strcmp(argv[argc - 1], "--trace") == 0;
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<FirstFrameExit> exit;
    return Startup::run(argc, argv, [&](MainFrm &window) {
        if (trace)
            std::fprintf(stderr, "main window built: %lld ms\n", clock.elapsed());
        exit = std::make_unique<FirstFrameExit>([&](QWidget *widget) {
            QWidget *prediction = window.childWindow(PredictionEngine::WindowName);
            const bool shown = prediction && (widget == prediction || prediction->isAncestorOf(widget));
            if (shown && trace)
                std::fprintf(stderr, "prediction painted: %lld ms\n", clock.elapsed());
            return shown;
        });
    });
}
