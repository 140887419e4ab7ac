#include "app/gui/startup.h"

#include "app/gui/mainfrm.h"
#include "app/gui/programsetup.h"
#include "app/gui/startupwarmup.h"
#include "store/backgroundload.h"
#include "ui/gui/metrics.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

#include <chrono>

namespace {

// The executable's folder before the application object exists, found as Qt
// finds it; load() compares it with the application's own and loads again
// should they differ.
QString executableFolder(const char *argv0)
{
    const QFileInfo self(QStringLiteral("/proc/self/exe"));
    if (self.exists())
        return self.canonicalPath();
    return QFileInfo(QString::fromLocal8Bit(argv0)).absoluteDir().canonicalPath();
}

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

int run(int &argc, char **argv, const std::function<void(MainFrm &)> &atShow)
{
    const StartupWarmup warmup;
    BackgroundStoreLoad pending(executableFolder(argv[0]));

    QApplication app(argc, argv);
    ProgramSetup::apply(app, ProgramSetup::Icon::Later);
    // The icon comes once the prediction is on screen, or before any box a
    // start that fails shows.
    IconBeforeDialogs iconForBoxes;
    Metrics::installFontSubstitution();
    QApplication::setFont(Metrics::gridFont());

    MainFrm window(QApplication::applicationDirPath());
    window.setBackgroundLoad(&pending);
    if (atShow)
        atShow(window);
    // Where the store has loaded by now, as it usually has, the prediction
    // opens in the main window before it is shown and both come up in one
    // frame. Otherwise the main window shows at once and takes clicks while
    // the load ends; so it does for a load that failed, behind its message.
    const bool storeReady = pending.hasStore();
    if (!storeReady)
        window.show();
    if (!window.load())
        return window.isClosing() ? 0 : 1;
    if (storeReady)
        window.show();
    // A moment after the first frame rather than in the turns of the event
    // loop around it: decoding the icon's seven sizes and handing them to the
    // window system takes milliseconds that the frame need not wait for.
    QTimer::singleShot(std::chrono::milliseconds(100), &window, &ProgramSetup::setIconNow);
    return QApplication::exec();
}

} // namespace Startup
