// The program's own start, the store loaded before the main window is shown:
// its first frame already holds the prediction, and the icon follows.
// Printing, the chart windows and the download are not loaded for it; their
// module is, at their first use.
#include "analysis/catalog.h"
#include "analysis/gui/analysisframe.h"
#include "analysis/gui/randomnesswindow.h"
#include "app/gui/mainfrm.h"
#include "app/gui/startup.h"
#include "prediction/predictionengine.h"
#include "ui/gui/metrics.h"
#include "ui/gui/ondemand.h"

#include <QtTest>


namespace {

QRect predictionInFirstFrame; // the prediction's frame, if it was visible
bool painted = false, iconSet = false;
// Whether Qt Charts, Qt Print Support and Qt Network were mapped: at the
// first frame, and once the chart window had opened and a PDF had been
// written.
bool librariesAtFirstFrame = true, librariesAfterUse = false;
bool chartWindowOpened = false;
int pdfPages = 0;
QString partsProblem;

bool optionalLibrariesMapped()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = maps.readAll();
    return text.contains("libQt6Charts.so") && text.contains("libQt6PrintSupport.so") && text.contains("libQt6Network.so");
}

void useTheParts(MainFrm &window)
{
    // A module that cannot be loaded is told in a box: noted, not shown.
    window.setMessagePresenter([](QWidget *, const MessageRequest &request) {
        partsProblem = request.text;
        return QMessageBox::Ok;
    });
    window.showRandomness();
    // By class name: the class itself lives in the module.
    const QWidget *chartWindow = window.childWindow(RandomnessWindow::ClassName);
    chartWindowOpened = chartWindow && qstrcmp(chartWindow->metaObject()->className(), "RandomnessWindow") == 0;
    if (const OnDemand::Parts *parts = OnDemand::parts(&partsProblem)) {
        const QTemporaryDir folder;
        const DrawHistoryStore store = LoadDrawHistory(QCoreApplication::applicationDirPath());
        pdfPages = parts->writePdf(folder.filePath(QStringLiteral("out.pdf")),
                                   AnalysisFrame::printDocument(*findAnalysisWindow(QStringLiteral("バラツキ分析")), store),
                                   false, &partsProblem);
    }
    librariesAfterUse = optionalLibrariesMapped();
}

class FirstPaint : public QObject
{
public:
    explicit FirstPaint(MainFrm &window) : m_window(window) { window.installEventFilter(this); }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !std::exchange(painted, true)) {
            if (QWidget *prediction = m_window.childWindow(PredictionEngine::WindowName); prediction && prediction->isVisible())
                predictionInFirstFrame = prediction->parentWidget()->geometry();
            librariesAtFirstFrame = optionalLibrariesMapped();
            QTimer::singleShot(std::chrono::seconds(1), this, [this] {
                iconSet = !QApplication::windowIcon().isNull();
                useTheParts(m_window);
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

    void printingAndChartsLoadOnFirstUse()
    {
        QVERIFY(!librariesAtFirstFrame);
        QVERIFY2(chartWindowOpened, qPrintable(partsProblem));
        QVERIFY2(pdfPages > 2, qPrintable(partsProblem));
        QVERIFY(librariesAfterUse);
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
