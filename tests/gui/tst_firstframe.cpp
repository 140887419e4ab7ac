// The program's own start, the store loaded before the main window is shown:
// its first frame already holds the prediction, and the icon follows.
#include "app/gui/mainfrm.h"
#include "app/gui/startup.h"
#include "prediction/predictionengine.h"
#include "ui/gui/metrics.h"
#include "ui/gui/subwindow.h"

#include <QtTest>

namespace {

QRect predictionInFirstFrame; // the prediction's frame, if it was visible
bool painted = false, iconSet = false;

class FirstPaint : public QObject
{
public:
    explicit FirstPaint(MainFrm &window) : m_window(window) { window.installEventFilter(this); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !std::exchange(painted, true)) {
            if (QWidget *prediction = m_window.childWindow(PredictionEngine::WindowName); prediction && prediction->isVisible())
                predictionInFirstFrame = enclosingSubWindow(prediction)->geometry();
            QTimer::singleShot(std::chrono::seconds(1), this, [this] {
                iconSet = !QApplication::windowIcon().isNull();
                QCoreApplication::quit();
            });
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
        QVERIFY(painted);
        // Where and as large as it opens when the main window shows first.
        QCOMPARE(predictionInFirstFrame, QRect(0, 0, Metrics::twipsToPixels(9360), Metrics::twipsToPixels(8400)));
        QVERIFY(iconSet);
    }
};

int main(int argc, char *argv[])
{
    std::unique_ptr<FirstPaint> watch;
    const int status = Startup::run(argc, argv, [&watch](MainFrm &window) { watch = std::make_unique<FirstPaint>(window); });
    if (status != 0)
        return status;
    QApplication app(argc, argv);
    TestFirstFrame test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_firstframe.moc"
