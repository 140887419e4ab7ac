#pragma once

#include <QStringList>

#include <functional>
#include <optional>

class MainFrm;

namespace Startup {

// The windowed program from its first line to its exit status: the
// application object, the fonts and the main window; then the store, loaded
// on this thread, and the prediction, shown in the main window's first frame.
// atShow, when given, sees the main window just before it loads.
// checkArguments, when given, sees the arguments Qt has left (its own
// options taken out, the program's name too) and may end the program with
// the status it returns before any window is made.
int run(int &argc, char **argv, const std::function<void(MainFrm &)> &atShow = {},
        const std::function<std::optional<int>(const QStringList &)> &checkArguments = {});

} // namespace Startup
