#include "app/gui/startup.h"

#include "app/gui/mainfrm.h"
#include "app/gui/programsetup.h"
#include "ui/gui/metrics.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <chrono>

namespace {

// Sets the program's icon just before the first dialog shows.
class IconBeforeDialogs : public QObject
{
public:
    IconBeforeDialogs() { qApp->installEventFilter(this); }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && qobject_cast<QDialog *>(watched)) {
            ProgramSetup::setIconNow();
            qApp->removeEventFilter(this);
        }
        return false;
    }
};

} // namespace

namespace Startup {

int run(int &argc, char **argv, const std::function<void(MainFrm &)> &atShow,
        const std::function<std::optional<int>(const QStringList &)> &checkArguments)
{
    QApplication app(argc, argv);
    if (checkArguments) {
        if (const std::optional<int> status = checkArguments(QApplication::arguments().mid(1)))
            return *status;
    }
    ProgramSetup::apply(app, ProgramSetup::Icon::Later);
    // The icon comes once the prediction is on screen, or before any box a
    // start that fails shows.
    IconBeforeDialogs iconForBoxes;
    Metrics::installFontSubstitution();
    QApplication::setFont(Metrics::gridFont());

    MainFrm window(QApplication::applicationDirPath());
    if (atShow)
        atShow(window);
    // The store loads and the prediction opens in the main window before it
    // is shown: both come up in one frame.
    if (!window.load())
        return 1;
    window.show();
    // A moment after the first frame rather than in the turns of the event
    // loop around it: decoding the icon's seven sizes and handing them to the
    // window system takes milliseconds that the frame need not wait for.
    QTimer::singleShot(std::chrono::milliseconds(100), &window, &ProgramSetup::setIconNow);
    return QApplication::exec();
}

} // namespace Startup
