// The main window on a real X server with a real window manager (openbox),
// driven through the X server as a person would: keys typed one at a time,
// clicks on what is shown (xdotool). tests/desktop/run.sh starts the server
// at the screen size under test and the window manager.
#include "analysis/gui/analysisframe.h"
#include "app/gui/childwindow.h"
#include "app/gui/helpviewer.h"
#include "app/gui/mainfrm.h"
#include "app/gui/programsetup.h"
#include "maintenance/gui/drawresultseditor.h"
#include "store/drawdatabase.h"
#include "support/drawfile.h"
#include "support/fixtures.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"

#include <QApplication>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

const QString Prediction = QStringLiteral("一発ケルモン予想");
const QString Frequency = QStringLiteral("出現頻度分析");
const QString Backtest = QStringLiteral("予想の検証");
const QString OtherApplicationArgument = QStringLiteral("--other-application");

// Runs xdotool to its end while this program goes on handling its events.
bool xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForStarted(5000))
        return false;
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < 30000)
        QTest::qWait(20);
    return process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == 0;
}

// Keys as a person types them, one every 200 ms, to the window with the focus.
bool type(const QString &keys)
{
    const bool typed = xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("200")}
                               + keys.split(QLatin1Char(' ')));
    QTest::qWait(300);
    return typed;
}

// Runs xdotool with the arguments `step` gives as soon as it gives any,
// from wherever the program is waiting then: a context menu or a file dialog
// runs its own event loop, inside the call that opened it. The poll ends
// with its owner (the main window) at the latest.
void xdotoolWhen(QObject *owner, const std::function<QStringList()> &step)
{
    auto *poll = new QTimer(owner);
    poll->setInterval(50);
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        const QStringList arguments = step();
        if (arguments.isEmpty())
            return;
        poll->stop();
        poll->deleteLater();
        QProcess::startDetached(QStringLiteral("xdotool"), arguments);
    });
    poll->start();
}

bool clickAt(const QPoint &global, int button = 1)
{
    const bool clicked = xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(global.x()),
                                  QString::number(global.y()), QStringLiteral("click"), QString::number(button)});
    QTest::qWait(300);
    return clicked;
}

bool click(const QWidget *widget, int button = 1)
{
    return widget && clickAt(widget->mapToGlobal(widget->rect().center()), button);
}

} // namespace

class TestDesktop : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void theWindowInUseStaysInFront_data();
    void theWindowInUseStaysInFront();
    void largeWindowOpensFittedToTheWorkspace_data();
    void largeWindowOpensFittedToTheWorkspace();
    void keysCloseWhatIsInFront();
    void tiledWindowsStayUsable();
    void quittingAsksAboutAHalfTypedDraw();

private:
    QMdiSubWindow *active() const { return m_frame->mdiArea()->activeSubWindow(); }
    QString activeName() const { return active() ? ChildWindow::contentOf(active())->objectName() : QString(); }
    QString frontName() const;
    bool open(const QString &keys, const QString &className);
    void screenshot(const QString &name);

    std::unique_ptr<ProgramFolder> m_folder;
    std::unique_ptr<MainFrm> m_frame;
    QTemporaryDir m_home;
};

void TestDesktop::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (tests/desktop/run.sh starts one)");
    // Files the program or its dialogs write go to a folder of the test's own.
    QVERIFY(m_home.isValid());
    for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
        qputenv(name, m_home.path().toLocal8Bit());
    QVERIFY(QDir::setCurrent(m_home.path()));
    m_folder = std::make_unique<ProgramFolder>();
    // The window manager is at work once it frames a window.
    QWidget probe;
    probe.resize(200, 100);
    probe.show();
    QVERIFY2(QTest::qWaitFor([&] { return probe.frameGeometry() != probe.geometry(); }, 30000),
             "no window manager frames the windows (tests/desktop/run.sh starts openbox)");
}

void TestDesktop::init()
{
    m_frame = std::make_unique<MainFrm>(m_folder->path());
    QVERIFY(m_frame->load());
    m_frame->show();
    // Framed by the window manager; a program started without a click or a
    // key gets no focus from it (no user time): the user clicks into it.
    QTRY_VERIFY_WITH_TIMEOUT(m_frame->frameGeometry() != m_frame->geometry(), 10000);
    QVERIFY(xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(m_frame->winId())}));
    QVERIFY(QTest::qWaitForWindowActive(m_frame.get(), 10000));
    QCOMPARE(activeName(), Prediction);
}

void TestDesktop::cleanup()
{
    m_frame.reset();
    QTest::qWait(200);
}

QString TestDesktop::frontName() const
{
    const QList<QMdiSubWindow *> stack = m_frame->mdiArea()->subWindowList(QMdiArea::StackingOrder);
    return stack.isEmpty() ? QString() : ChildWindow::contentOf(stack.last())->objectName();
}

bool TestDesktop::open(const QString &keys, const QString &className)
{
    return type(keys) && QTest::qWaitFor([&] { return activeName() == className; }, 20000);
}

void TestDesktop::screenshot(const QString &name)
{
    // Not a check: with LOTO6_DESKTOP_SHOTS=FOLDER the screen is kept there.
    const QString folder = qEnvironmentVariable("LOTO6_DESKTOP_SHOTS");
    if (folder.isEmpty())
        return;
    QTest::qWait(500);
    const QSize size = QGuiApplication::primaryScreen()->size();
    QProcess::execute(QStringLiteral("/usr/bin/import"),
                      {QStringLiteral("-window"), QStringLiteral("root"),
                       QDir(folder).filePath(QStringLiteral("%1（%2×%3）.png").arg(name).arg(size.width()).arg(size.height()))});
}

// Where the user is stays in front; the prediction comes forward only when
// the main window is activated after another window of the program with no
// child window to go back to.
void TestDesktop::theWindowInUseStaysInFront_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("expected");
    QTest::newRow("closing an analysis window opened over 予想の検証") << QStringLiteral("close") << Backtest;
    QTest::newRow("back from another application") << QStringLiteral("other") << Frequency;
    QTest::newRow("closing バージョン情報") << QStringLiteral("about") << Frequency;
    QTest::newRow("CSV file dialog closed with Enter") << QStringLiteral("csv") << Frequency;
    QTest::newRow("CSV file dialog, a name typed, Enter with its completions open") << QStringLiteral("csv typed") << Frequency;
    QTest::newRow("closing バージョン情報 with no child open") << QStringLiteral("nothing open") << Prediction;
}

void TestDesktop::theWindowInUseStaysInFront()
{
    QFETCH(QString, how);
    QFETCH(QString, expected);
    MainFrm &frame = *m_frame;

    if (how == QLatin1String("close"))
        QVERIFY(open(QStringLiteral("alt+s b"), Backtest));
    if (how == QLatin1String("nothing open")) {
        QVERIFY(click(frame.childWindow(Prediction)->findChild<QPushButton *>(QStringLiteral("Cmd閉じる"))));
        QTRY_VERIFY(frame.mdiArea()->subWindowList().isEmpty());
    } else {
        QVERIFY(open(QStringLiteral("alt+s Return Return"), Frequency));
    }

    if (how == QLatin1String("close")) {
        QVERIFY(click(frame.childWindow(Frequency)->findChild<QPushButton *>(QStringLiteral("Command1"))));
        QTRY_VERIFY(!frame.childWindow(Frequency));
    } else if (how == QLatin1String("other")) {
        QProcess other;
        other.start(QCoreApplication::applicationFilePath(), {OtherApplicationArgument});
        QTRY_VERIFY_WITH_TIMEOUT(!frame.isActiveWindow(), 10000);
        // Back by a click on the main window's title bar.
        const QRect outer = frame.frameGeometry();
        QVERIFY(clickAt(QPoint(outer.center().x(), outer.top() + (frame.geometry().top() - outer.top()) / 2)));
        QTRY_VERIFY_WITH_TIMEOUT(frame.isActiveWindow(), 10000);
        other.kill();
        other.waitForFinished();
    } else if (how == QLatin1String("about") || how == QLatin1String("nothing open")) {
        QVERIFY(type(QStringLiteral("alt+h a")));
        QTRY_VERIFY_WITH_TIMEOUT(frame.aboutWindow() && frame.aboutWindow()->isActiveWindow(), 10000);
        QVERIFY(click(frame.aboutWindow()->findChild<QPushButton *>(QStringLiteral("Command1"))));
        QTRY_VERIFY_WITH_TIMEOUT(!frame.aboutWindow() && frame.isActiveWindow(), 10000);
    } else if (how.startsWith(QLatin1String("csv"))) {
        // CSVで保存... clicked in the table's menu; then Enter in the file
        // dialog takes the suggested name, or a name typed while the dialog
        // lists the files it could complete (a pop-up of its own).
        const bool typed = how == QLatin1String("csv typed");
        QFile earlier(m_home.filePath(QStringLiteral("freq-earlier.csv")));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.close();
        xdotoolWhen(&frame, [] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            const QList<QAction *> items = menu ? menu->actions() : QList<QAction *>();
            const auto csv = std::find_if(items.begin(), items.end(),
                                          [](QAction *item) { return item->objectName() == QLatin1String("actSaveCsv"); });
            if (csv == items.end())
                return QStringList();
            const QPoint at = menu->mapToGlobal(menu->actionGeometry(*csv).center());
            return QStringList{QStringLiteral("mousemove"), QStringLiteral("--sync"), QString::number(at.x()),
                               QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")};
        });
        xdotoolWhen(&frame, [typed] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isActiveWindow())
                return QStringList();
            return typed ? QStringList{QStringLiteral("key"), QStringLiteral("ctrl+a"), QStringLiteral("f")}
                         : QStringList{QStringLiteral("key"), QStringLiteral("Return")};
        });
        if (typed) {
            xdotoolWhen(&frame, [] {
                QWidget *popup = QApplication::activePopupWidget();
                return popup && popup->isVisible() && !qobject_cast<QMenu *>(popup)
                    ? QStringList{QStringLiteral("key"), QStringLiteral("Return")}
                    : QStringList();
            });
        }
        auto *table = qobject_cast<AnalysisFrame *>(frame.childWindow(Frequency));
        QVERIFY(click(table->grid(), 3));
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::activeModalWidget() && frame.isActiveWindow(), 20000);
        QVERIFY(QFile::exists(m_home.filePath(typed ? QStringLiteral("f.csv") : Frequency + QStringLiteral(".csv"))));
    }

    // Time for a window to come forward where it should not.
    QTest::qWait(800);
    QCOMPARE(activeName(), expected);
    QCOMPARE(frontName(), expected);
}

// On a small screen a child larger than the workspace opens inside it: its
// table scrolls, its 閉じる is in view and closes it at a click.
void TestDesktop::largeWindowOpensFittedToTheWorkspace_data()
{
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("closeButton");
    QTest::newRow("バラツキ分析") << QStringLiteral("alt+s Down Down Down Return") << QStringLiteral("バラツキ分析")
                               << QStringLiteral("Command1");
    QTest::newRow("予想の検証") << QStringLiteral("alt+s b") << Backtest << QStringLiteral("Cmd閉じる");
}

void TestDesktop::largeWindowOpensFittedToTheWorkspace()
{
    QFETCH(QString, keys);
    QFETCH(QString, className);
    QFETCH(QString, closeButton);
    MainFrm &frame = *m_frame;
    QVERIFY(open(keys, className));
    QMdiSubWindow *window = active();
    const QRect workspace = frame.mdiArea()->viewport()->rect();
    QVERIFY2(workspace.contains(window->geometry()),
             qPrintable(QStringLiteral("%1 in %2").arg(QVariant(window->geometry()).toString(), QVariant(workspace).toString())));
    QVERIFY(!frame.mdiArea()->horizontalScrollBar()->isVisible());
    QVERIFY(!frame.mdiArea()->verticalScrollBar()->isVisible());
    if (auto *table = qobject_cast<AnalysisFrame *>(ChildWindow::contentOf(window)))
        QVERIFY(table->grid()->verticalScrollBar()->isVisible());
    auto *close = ChildWindow::contentOf(window)->findChild<QPushButton *>(closeButton);
    QVERIFY(close && close->isVisible());
    const QRect button(close->mapTo(frame.mdiArea()->viewport(), QPoint(0, 0)), close->size());
    QVERIFY2(workspace.contains(button), qPrintable(QVariant(button).toString()));
    screenshot(className);
    QVERIFY(click(close));
    QTRY_VERIFY(!frame.childWindow(className));
}

// Ctrl+F4 closes the child window in front; Esc closes the help.
void TestDesktop::keysCloseWhatIsInFront()
{
    MainFrm &frame = *m_frame;
    QVERIFY(open(QStringLiteral("alt+s Return Return"), Frequency));
    QVERIFY(type(QStringLiteral("ctrl+F4")));
    QTRY_VERIFY(!frame.childWindow(Frequency));
    QTRY_COMPARE(activeName(), Prediction);

    QVERIFY(type(QStringLiteral("alt+h h")));
    QTRY_VERIFY_WITH_TIMEOUT(frame.helpViewer() && frame.helpViewer()->isActiveWindow(), 10000);
    screenshot(QStringLiteral("ヘルプ"));
    QVERIFY(type(QStringLiteral("Escape")));
    QTRY_VERIFY_WITH_TIMEOUT(!frame.helpViewer(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(frame.isActiveWindow(), 10000);
}

// Three windows tiled side by side: 一発ケルモン予想, narrower than its
// layout, scrolls; a person scrolls it with the bar and clicks its 閉じる.
void TestDesktop::tiledWindowsStayUsable()
{
    MainFrm &frame = *m_frame;
    QVERIFY(open(QStringLiteral("alt+s Return Return"), Frequency));
    QVERIFY(open(QStringLiteral("alt+m t"), QStringLiteral("当選データ取込")));
    QVERIFY(type(QStringLiteral("alt+w v")));
    QWidget *prediction = frame.childWindow(Prediction);
    QMdiSubWindow *window = nullptr;
    for (QMdiSubWindow *sub : frame.mdiArea()->subWindowList()) {
        if (ChildWindow::contentOf(sub) == prediction)
            window = sub;
    }
    QVERIFY(window);
    QTRY_VERIFY(window->width() < frame.mdiArea()->viewport()->width() / 2);
    screenshot(QStringLiteral("左右に並べて表示"));
    auto *scroll = window->findChild<QScrollArea *>(QStringLiteral("childScroll"));
    QVERIFY(scroll);
    QScrollBar *bar = scroll->horizontalScrollBar();
    QTRY_VERIFY(bar->isVisible());
    auto *close = prediction->findChild<QPushButton *>(QStringLiteral("Cmd閉じる"));
    const auto inView = [&] {
        const QRect shown(close->mapTo(scroll->viewport(), QPoint(0, 0)), close->size());
        return scroll->viewport()->rect().contains(shown);
    };
    // Clicks in the bar's track beside its end move a page at a time.
    for (int i = 0; i < 10 && !inView(); ++i)
        QVERIFY(clickAt(bar->mapToGlobal(QPoint(bar->width() - bar->height() - 3, bar->height() / 2))));
    QVERIFY(inView());
    QVERIFY(click(close));
    QTRY_VERIFY(!frame.childWindow(Prediction));
}

// 当選データ入力: a draw added after the last, 44 typed as its 第1数字 and 7
// being typed as its 第2数字, then the main window closed with Alt+F4 (the
// window manager's close): the question names both; No keeps the program
// and the typing, Yes ends it. The half-typed draw never reaches the file.
void TestDesktop::quittingAsksAboutAHalfTypedDraw()
{
    MainFrm &frame = *m_frame;
    QVERIFY(click(frame.childWindow(Prediction)->findChild<QPushButton *>(QStringLiteral("Cmd閉じる"))));
    QTRY_VERIFY(frame.mdiArea()->subWindowList().isEmpty());
    QVERIFY(open(QStringLiteral("alt+m i"), DrawResultsEditor::ClassName));
    const QString database = QDir(m_folder->path()).filePath(DrawDatabase::FileName);
    // Answers the next message box by its button's access key (はい(Y),
    // いいえ(N)) once it shows, brought to the front first, and again a
    // moment later while it is still up (the window manager may not have
    // placed it yet); what it asked is kept in asked.
    QString asked;
    const auto answerNextBox = [&](const QString &key) {
        auto *poll = new QTimer(&frame);
        poll->setInterval(700);
        auto seen = std::make_shared<bool>(false);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, key, seen, &asked] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible()) {
                if (*seen)
                    poll->deleteLater(); // answered
                return;
            }
            *seen = true;
            asked = box->text();
            QProcess::startDetached(QStringLiteral("xdotool"),
                                    {QStringLiteral("windowactivate"), QStringLiteral("--sync"), QString::number(box->winId()),
                                     QStringLiteral("key"), key});
        });
        poll->start();
    };
    // Ctrl+A asks first: はい.
    answerNextBox(QStringLiteral("y"));
    QVERIFY(type(QStringLiteral("ctrl+End ctrl+a")));
    QTRY_COMPARE(DrawFile::lines(database).last(), QStringLiteral("2131|NULL|NULL|NULL|NULL|NULL|NULL|NULL"));
    const QStringList added = DrawFile::lines(database);
    QVERIFY(type(QStringLiteral("Home Right 4 4 Tab 7")));
    screenshot(QStringLiteral("当選データ入力（入力中）"));

    asked.clear();
    answerNextBox(QStringLiteral("n"));
    QVERIFY(type(QStringLiteral("alt+F4")));
    QTRY_VERIFY_WITH_TIMEOUT(!asked.isEmpty(), 10000);
    QTest::qWait(500);
    QVERIFY2(asked.remove(QLatin1Char('\n')).contains(QStringLiteral("回数2131の第1数字「44」")), qPrintable(asked));
    QVERIFY(asked.contains(QStringLiteral("回数2131の第2数字「7」")));
    QVERIFY(frame.isVisible());
    QVERIFY(frame.childWindow(DrawResultsEditor::ClassName));
    QCOMPARE(DrawFile::lines(database), added);

    answerNextBox(QStringLiteral("y"));
    QVERIFY(type(QStringLiteral("alt+F4")));
    QTRY_VERIFY_WITH_TIMEOUT(!frame.isVisible(), 10000);
    QCOMPARE(DrawFile::lines(database), added);
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Another application for the main window to lose the focus to.
    if (app.arguments().contains(OtherApplicationArgument)) {
        QWidget other;
        other.setWindowTitle(QStringLiteral("ほかのアプリケーション"));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        other.setGeometry(screen.right() - 320, screen.bottom() - 220, 300, 200);
        other.show();
        return app.exec();
    }
    ProgramSetup::apply(app);
    Metrics::installFontSubstitution();
    QApplication::setFont(Metrics::gridFont());
    TestDesktop test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktop.moc"
