// The program's own start with the store loaded before the main window is
// shown: its first frame already holds the prediction, and the icon follows.
#include "app/gui/mainfrm.h"
#include "app/gui/startup.h"
#include "prediction/predictionengine.h"
#include "ui/gui/metrics.h"

#include <QApplication>
#include <QMdiSubWindow>
#include <QTimer>
#include <QtTest>

#include <chrono>
#include <thread>

namespace {

struct Seen
{
    bool painted = false;
    bool predictionInFirstFrame = false;
    QRect predictionGeometry;
    bool iconSet = false;
};
Seen seen;

// Notes what the main window's first paint shows, then ends the program once
// the icon has come (or after five seconds).
class FirstFrameWatch : public QObject
{
public:
    explicit FirstFrameWatch(MainFrm &window)
        : m_window(window)
    {
        qApp->installEventFilter(this);
        QTimer::singleShot(std::chrono::seconds(5), qApp, &QCoreApplication::quit);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!seen.painted && event->type() == QEvent::Paint && watched == &m_window) {
            seen.painted = true;
            const QWidget *prediction = m_window.childWindow(PredictionEngine::WindowName);
            seen.predictionInFirstFrame = prediction && prediction->isVisible();
            if (prediction)
                seen.predictionGeometry = prediction->parentWidget()->geometry();
            auto *poll = new QTimer(this);
            connect(poll, &QTimer::timeout, this, [] {
                if (!QApplication::windowIcon().isNull()) {
                    seen.iconSet = true;
                    QCoreApplication::quit();
                }
            });
            poll->start(10);
        }
        return false;
    }

private:
    MainFrm &m_window;
};

} // namespace

class TestFirstFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void predictionIsInTheFirstFrame()
    {
        QVERIFY(seen.painted);
        QVERIFY(seen.predictionInFirstFrame);
        // Where and as large as it opens when the main window shows first.
        QCOMPARE(seen.predictionGeometry, QRect(0, 0, Metrics::twipsToPixels(9360), Metrics::twipsToPixels(8400)));
        QVERIFY(seen.iconSet);
    }
};

int main(int argc, char *argv[])
{
    std::unique_ptr<FirstFrameWatch> watch;
    const int status = Startup::run(argc, argv, [&watch](MainFrm &window) {
        // The bundled history loads in milliseconds; this leaves it ample
        // time to have ended before the main window would be shown.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        watch = std::make_unique<FirstFrameWatch>(window);
    });
    if (status != 0)
        return status;
    // Startup::run's application object is gone; the results are read under
    // one of the test's own.
    QApplication app(argc, argv);
    TestFirstFrame test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_firstframe.moc"
