#pragma once

#include <functional>

class MainFrm;

namespace Startup {

// The windowed program from its first line to its exit status: the
// application object, the fonts and the main window; then the store, loaded
// on this thread, and the prediction, shown in the main window's first frame.
// atShow, when given, sees the main window just before it loads.
int run(int &argc, char **argv, const std::function<void(MainFrm &)> &atShow = {});

} // namespace Startup
