// A bare Qt Widgets window: the yardstick for the program's start-up. The
// process ends at its first frame (see firstframe.h).
#include "firstframe.h"

#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle(QStringLiteral("bare"));
    window.resize(1280, 960);
    FirstFrameExit exit([&window](QWidget *widget) { return widget == &window; });
    window.show();
    return QApplication::exec();
}
