// loto6kermon-cli: the program's core without a window.
#include "cli/commands.h"

#include <QApplication>
#include <QCoreApplication>

#include <memory>

int main(int argc, char *argv[])
{
    // Pictures need a GUI application; everything else runs without a display.
    const bool needsGui = argc > 1 && Cli::needsGui(QString::fromLocal8Bit(argv[1]));
    std::unique_ptr<QCoreApplication> app;
    if (needsGui) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    return Cli::run(app->arguments().mid(1));
}
