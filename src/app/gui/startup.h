#pragma once

#include <functional>

class MainFrm;

namespace Startup {

// The windowed program from its first line to its exit status. The store
// starts loading on a worker thread at once, and what the first frame needs
// from fontconfig and the dynamic loader is prepared on another
// (StartupWarmup), while the application object, the fonts and the main
// window are built; then the prediction is shown (in the main window's
// first frame when the store is ready by then).
// atShow, when given, sees the main window just before it is shown.
int run(int &argc, char **argv, const std::function<void(MainFrm &)> &atShow = {});

} // namespace Startup
