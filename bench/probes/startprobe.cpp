// The program's own start-up, ending at the first frame that shows the
// prediction window (see firstframe.h).
#include "app/gui/mainfrm.h"
#include "app/gui/startup.h"
#include "firstframe.h"
#include "prediction/predictionengine.h"

#include <memory>

int main(int argc, char *argv[])
{
    std::unique_ptr<FirstFrameExit> exit;
    return Startup::run(argc, argv, [&exit](MainFrm &window) {
        exit = std::make_unique<FirstFrameExit>([&window](QWidget *widget) {
            QWidget *prediction = window.childWindow(PredictionEngine::WindowName);
            return prediction && (widget == prediction || prediction->isAncestorOf(widget));
        });
    });
}
