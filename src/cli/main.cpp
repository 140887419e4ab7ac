// loto6kermon-cli: the program's core without a window.
#include "cli/commands.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // Only Qt's core: `render`, which draws, runs loto6kermon-render.
    QCoreApplication app(argc, argv);
    return Cli::run(app.arguments().mid(1));
}
