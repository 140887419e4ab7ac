// The main window driven as a user would: its menu, the one-window flag,
// reopening, failing windows, the about window, start-up and exit.
#include "analysis/gui/analysisframe.h"
#include "app/gui/aboutwindow.h"
#include "app/gui/childwindow.h"
#include "app/gui/mainfrm.h"
#include "app/gui/windowcontext.h"
#include "store/runtimeerror.h"
#include "support/fixtures.h"
#include "ui/gui/metrics.h"
#include "ui/gui/sheetview.h"
#include "ui/gui/subwindow.h"

#include <QAction>
#include <QLabel>
#include <QLayout>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QtTest>

namespace {

const QString Refusal = QStringLiteral("表示中のウィンドウを閉じないと実行できません。");

const QString SmallHistory = QStringLiteral("1,1,2,3,4,5,6,7\n2,8,9,10,11,12,13,1\n3,1,20,21,22,23,24,25\n");

QAction *menuAction(MainFrm &window, const QString &name)
{
    return window.findChild<QAction *>(name);
}

void trigger(MainFrm &window, const QString &name)
{
    QAction *action = menuAction(window, name);
    QVERIFY2(action, qPrintable(name));
    action->trigger();
}

// Starts the program as a user does: the prediction window comes up with it
// and holds the one-window flag until it is closed.
bool startAndClosePrediction(MainFrm &window)
{
    if (!window.load())
        return false;
    QWidget *prediction = window.childWindow(QStringLiteral("一発ケルモン予想"));
    if (!prediction || window.propEnd())
        return false;
    enclosingSubWindow(prediction)->close();
    return window.propEnd() && window.mdiArea()->subWindowList().isEmpty();
}

} // namespace

class TestMainFrm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void menuTreeMatchesTheProgramsMenu();
    void analysisWindowClearsPropEndAndTheEditorIsRefused();
    void reopeningBringsToFrontWithoutRecomputing();
    void closeButtonUnloadsAndSetsPropEnd();
    void propEndIsOneFlagNotACount();
    void failingBuildShowsTheMessageAndOpensNothing();
    void startUpRefusesAMissingDatabase();
    void aboutWindowPlacementAndFlag();
    void exitClosesEveryChild();
    void arrangeTilesOpenWindows();
    void smallScreenCascadeAndFocus();
    void messageBoxCaptionStandsWhole_data();
    void messageBoxCaptionStandsWhole();
    void tiledWindowsScrollTheirContent_data();
    void tiledWindowsScrollTheirContent();
    void frameComesBackWhereItWas();
    void windowsOpenUnderTheHourglass();
    void drawExportSuggestsItsName();
    void buttonsHaveTheirOwnAccessKeys();
};

void TestMainFrm::menuTreeMatchesTheProgramsMenu()
{
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QCOMPARE(window.windowTitle(), QStringLiteral("ロト6ケルモンLite"));

    // (level, name, caption) as the program's users know the menu.
    struct Item
    {
        int level;
        const char *name;
        const char *caption;
    };
    const Item expected[] = {
        {1, "mnuEnd", "終了(&X)"},
        {1, "mnuYoso", "一発ケルモン予想(&D)"},
        {1, "mnuMain", "データ分析(&S)"},
        {2, "mnuHindo", "頻度分析"},
        {3, "mnuSyutugenHindo", "出現頻度分析"},
        {3, "mnuSyutugenKaisu", "回数別出現分析"},
        {2, "mnuKankaku", "間隔分析"},
        {3, "mnuSyutugenKankaku", "出現間隔分析"},
        {3, "mnuNumberKankaku", "数字間隔分析"},
        {2, "mnuZenkaiSyutugen", "出現回数分析"},
        {2, "mnuBaratsuki", "バラツキ分析"},
        {2, "mnuHippari", "引っ張り分析"},
        {2, "mnuRenbanTobiishi", "連番・飛び石分析"},
        {2, "mnuHonsuji", "数字合計分析"},
        {2, "mnuPattern", "組合せパターン分析"},
        {3, "mnuLowHightPattern", "低数字・高数字の組合せパターン分析"},
        {3, "mnuKisuGusuPattern", "偶数・奇数の組合せパターン分析"},
        {2, "mnu5BunkatsuKeiko", "5分割傾向分析"},
        {2, "mnuBunkatsuData", "分割データ分析"},
        {3, "mnu6BunkatsuData", "6分割データ分析"},
        {3, "mnu7BunkatsuData", "7分割データ分析"},
        {3, "mnu11BunkatsuData", "11分割データ分析"},
        {2, "mnuLastChar", "下一桁出現傾向分析"},
        {2, "mnuLastCharRenzoku", "下一桁連続出現回数分析"},
        {2, "mnuYosoKensyo", "予想の検証(&B)"},
        {2, "mnuRandomness", "ランダム性の検定(&R)"},
        {1, "mnuHosyu", "データ管理(&M)"},
        {2, "mnuMasterUpdate", "当選データ最新化(&U)"},
        {2, "mnuMasterInput", "当選データ入力(&I)"},
        {2, "mnuMasterImport", "当選データ取込(&T)"},
        {2, "mnuMasterExport", "当選データ書出し(&E)..."},
        {2, "mnuTickets", "購入記録・当選チェック(&K)"},
        {2, "mnuKaimeSakusei", "買い目作成(&B)"},
        {1, "mnuWindow", "ウィンドウ(&W)"},
        {2, "mnuWindowHorizontal", "上下に並べて表示(&H)"},
        {2, "mnuWindowVertical", "左右に並べて表示(&V)"},
        {2, "mnuWindowCascade", "重ねて表示(&C)"},
        {2, "mnuWindowArrangeIcon", "アイコンの整列(&A)"},
        {1, "mnuHelp", "ヘルプ(&H)"},
        {2, "mnuHelpFile", "ヘルプ(&H)"},
        {2, "mnuAbout", "バージョン情報(&A)"},
    };

    // Walk the real menu bar depth first and compare item by item; within
    // one menu no two items share an access key (the key would only cycle).
    QList<std::tuple<int, QString, QString>> actual;
    std::function<void(const QList<QAction *> &, int)> walk = [&](const QList<QAction *> &actions, int level) {
        QHash<QChar, QString> keys;
        for (QAction *action : actions) {
            if (action->isSeparator())
                continue;
            const QString text = action->text();
            if (const qsizetype amp = text.indexOf(QLatin1Char('&')); amp >= 0 && amp + 1 < text.size()) {
                const QChar key = text[amp + 1].toUpper();
                QVERIFY2(!keys.contains(key), qPrintable(text + QStringLiteral(" / ") + keys.value(key)));
                keys.insert(key, text);
            }
            if (QMenu *menu = action->menu()) {
                actual.append({level, menu->objectName(), action->text()});
                walk(menu->actions(), level + 1);
            } else {
                actual.append({level, action->objectName(), action->text()});
            }
        }
    };
    walk(window.menuBar()->actions(), 1);

    QCOMPARE(actual.size(), qsizetype(std::size(expected)));
    for (qsizetype i = 0; i < actual.size(); ++i) {
        const auto &[level, name, caption] = actual[i];
        QCOMPARE(level, expected[i].level);
        QCOMPARE(name, QString::fromUtf8(expected[i].name));
        QCOMPARE(caption, QString::fromUtf8(expected[i].caption));
    }
}

void TestMainFrm::analysisWindowClearsPropEndAndTheEditorIsRefused()
{
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    MessageRecorder messages;
    messages.install(window);
    QVERIFY(startAndClosePrediction(window));

    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    auto *frame = qobject_cast<AnalysisFrame *>(window.childWindow(QStringLiteral("出現頻度分析")));
    QVERIFY(frame);
    QCOMPARE(frame->windowTitle(), QStringLiteral("出現頻度分析"));
    QVERIFY(!window.propEnd());

    trigger(window, QStringLiteral("mnuMasterInput"));
    QCOMPARE(messages.shown.size(), 1);
    QCOMPARE(messages.shown[0].text, Refusal);
    QCOMPARE(messages.shown[0].title, QStringLiteral("メッセ－ジ"));
    QCOMPARE(messages.shown[0].title.at(3).unicode(), char16_t(0xFF0D));
    QCOMPARE(messages.shown[0].icon, QMessageBox::Critical);
    QVERIFY(!window.childWindow(QStringLiteral("当選データ入力")));

    // Analysis items do not consult the flag: a second window still opens.
    const QWidget *before = frame;
    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    QCOMPARE(window.childWindow(QStringLiteral("出現頻度分析")), before);
}

void TestMainFrm::reopeningBringsToFrontWithoutRecomputing()
{
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QVERIFY(startAndClosePrediction(window));
    window.show();
    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    auto *frame = qobject_cast<AnalysisFrame *>(window.childWindow(QStringLiteral("出現頻度分析")));
    QVERIFY(frame);
    // Mark the shown table: a recomputation would replace it.
    const SheetView *grid = frame->grid();
    const Sheet *table = &grid->sheet();
    auto *subWindow = enclosingSubWindow(frame);
    subWindow->showMinimized();

    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    QCOMPARE(window.childWindow(QStringLiteral("出現頻度分析")), frame);
    QCOMPARE(&frame->grid()->sheet(), table);
    const QList<QMdiSubWindow *> open = window.mdiArea()->subWindowList();
    QCOMPARE(std::count_if(open.begin(), open.end(),
                           [](QMdiSubWindow *w) { return ChildWindow::contentOf(w)->objectName() == QStringLiteral("出現頻度分析"); }),
             1);
    QCOMPARE(window.mdiArea()->activeSubWindow(), subWindow);
    QVERIFY(!subWindow->isMinimized());
}

void TestMainFrm::closeButtonUnloadsAndSetsPropEnd()
{
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QVERIFY(startAndClosePrediction(window));
    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    QWidget *frame = window.childWindow(QStringLiteral("出現頻度分析"));
    QVERIFY(frame);
    QVERIFY(!window.propEnd());
    auto *close = frame->findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(close);
    QCOMPARE(close->text(), QStringLiteral("閉じる"));
    QVERIFY(frame->findChild<QWidget *>(QStringLiteral("Label1")));
    QVERIFY(frame->findChild<QWidget *>(QStringLiteral("fpSpread1")));
    QVERIFY(frame->findChild<QWidget *>(QStringLiteral("Picture1")));
    QTest::mouseClick(close, Qt::LeftButton);
    QTRY_VERIFY(!window.childWindow(QStringLiteral("出現頻度分析")));
    QVERIFY(window.propEnd());
}

void TestMainFrm::propEndIsOneFlagNotACount()
{
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    MessageRecorder messages;
    messages.install(window);
    QVERIFY(startAndClosePrediction(window));
    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    trigger(window, QStringLiteral("mnuBaratsuki"));
    QCOMPARE(window.mdiArea()->subWindowList().size(), qsizetype(2));
    QVERIFY(!window.propEnd());
    // Closing one of the two already gives the flag back.
    enclosingSubWindow(window.childWindow(QStringLiteral("バラツキ分析")))->close();
    QVERIFY(window.propEnd());
    QVERIFY(window.childWindow(QStringLiteral("出現頻度分析")));
    trigger(window, QStringLiteral("mnuMasterInput"));
    QVERIFY(messages.shown.isEmpty() || messages.shown.last().text != Refusal);
}

void TestMainFrm::failingBuildShowsTheMessageAndOpensNothing()
{
    // 10000 is within the store's totals table but beyond the frequency
    // window's running counts, so only that window fails.
    ProgramFolder folder(QStringLiteral("1,1,2,3,4,5,6,10000\n"));
    MainFrm window(folder.path());
    MessageRecorder messages;
    messages.install(window);
    QVERIFY(startAndClosePrediction(window));
    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    QVERIFY(!window.childWindow(QStringLiteral("出現頻度分析")));
    QVERIFY(window.mdiArea()->subWindowList().isEmpty());
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown[0].text.contains(QStringLiteral("出現頻度分析")));
    QVERIFY(messages.shown[0].text.contains(QStringLiteral("インデックスが有効範囲にありません。")));
    QCOMPARE(messages.shown[0].title, QStringLiteral("メッセ－ジ"));
    QVERIFY(window.propEnd());
}

void TestMainFrm::startUpRefusesAMissingDatabase()
{
    QTemporaryDir empty;
    MainFrm window(empty.path());
    MessageRecorder messages;
    messages.install(window);
    QVERIFY(!window.load());
    QCOMPARE(messages.shown.size(), 1);
    QVERIFY(messages.shown[0].text.contains(empty.filePath(QStringLiteral("Loto6Kermon.mdb"))));
    QVERIFY(messages.shown[0].text.contains(QStringLiteral("見つかりません")));
    QVERIFY(!QFile::exists(empty.filePath(QStringLiteral("Loto6Kermon.mdb"))));
}

void TestMainFrm::aboutWindowPlacementAndFlag()
{
    // Main window at top 0, left 0, 12000 × 9000 twips.
    const QPointF at = AboutWindow::placement(0, 0, 12000, 9000);
    QCOMPARE(at.x(), 4000.0);
    QCOMPARE(at.y(), 3000.0);
    // Exact division, not integer division.
    QCOMPARE(AboutWindow::placement(100, 200, 12100, 9100).y(), 8900.0 / 3.0);

    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QVERIFY(startAndClosePrediction(window));
    trigger(window, QStringLiteral("mnuAbout"));
    AboutWindow *about = window.aboutWindow();
    QVERIFY(about);
    QVERIFY(about->isWindow());
    QCOMPARE(about->windowTitle(), QStringLiteral("バージョン情報"));
    QVERIFY(!(about->windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(about->windowFlags() & Qt::WindowMaximizeButtonHint));
    const auto text = [&](const char *name) { return about->findChild<QLabel *>(QString::fromLatin1(name))->text(); };
    QCOMPARE(text("Label1"), QStringLiteral("ロト６ケルモン"));
    QCOMPARE(text("Label6"), QStringLiteral("Lite"));
    QCOMPARE(text("Label3"), QStringLiteral(" Ver3.60"));
    QVERIFY(window.propEnd()); // the about window does not take the flag
    trigger(window, QStringLiteral("mnuAbout"));
    QCOMPARE(window.aboutWindow(), about);
    QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    QTRY_VERIFY(!window.aboutWindow());

    // Esc closes it too, as it would a box.
    trigger(window, QStringLiteral("mnuAbout"));
    about = window.aboutWindow();
    QVERIFY(about);
    QTest::keyClick(about->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::Key_Escape);
    QTRY_VERIFY(!window.aboutWindow());
}

void TestMainFrm::exitClosesEveryChild()
{
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QVERIFY(startAndClosePrediction(window));
    window.show();
    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    trigger(window, QStringLiteral("mnuAbout"));
    QVERIFY(!window.propEnd());
    trigger(window, QStringLiteral("mnuEnd"));
    QTRY_VERIFY(window.mdiArea()->subWindowList().isEmpty());
    QVERIFY(window.propEnd());
    QTRY_VERIFY(!window.aboutWindow());
    QVERIFY(!window.hasStore());
}

void TestMainFrm::arrangeTilesOpenWindows()
{
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QVERIFY(startAndClosePrediction(window));
    window.show();
    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    QMdiSubWindow *sub = window.mdiArea()->subWindowList().first();
    QCOMPARE(sub->pos(), QPoint(0, 0)); // placed at the top-left corner
    trigger(window, QStringLiteral("mnuWindowHorizontal"));
    QCOMPARE(sub->width(), window.mdiArea()->viewport()->width());
    trigger(window, QStringLiteral("mnuWindowVertical"));
    QCOMPARE(sub->height(), window.mdiArea()->viewport()->height());
    sub->showMinimized();
    trigger(window, QStringLiteral("mnuWindowArrangeIcon"));
    QCOMPARE(sub->y() + sub->height(), window.mdiArea()->viewport()->height());
}

void TestMainFrm::smallScreenCascadeAndFocus()
{
    // The offscreen screen (800 × 600) has less room than 1280 × 960.
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QVERIFY(startAndClosePrediction(window));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QVERIFY(window.screen()->availableGeometry().contains(window.geometry()));

    // A new window's grid has the keyboard. A child larger than the
    // workspace (出現頻度分析, 920 × 835) opens fitted to it: its table scrolls
    // inside and its 閉じる is in view; a smaller one keeps its own size.
    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    trigger(window, QStringLiteral("mnuSyutugenKaisu"));
    auto *frame = qobject_cast<AnalysisFrame *>(window.childWindow(QStringLiteral("回数別出現分析")));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(frame->grid()));
    QCOMPARE(enclosingSubWindow(frame)->size(), QSize(Metrics::twipsToPixels(3405), Metrics::twipsToPixels(8355)));
    const QRect workspace = window.mdiArea()->viewport()->rect();
    auto *large = qobject_cast<AnalysisFrame *>(window.childWindow(QStringLiteral("出現頻度分析")));
    QVERIFY2(workspace.contains(enclosingSubWindow(large)->geometry()),
             qPrintable(QVariant(enclosingSubWindow(large)->geometry()).toString()));
    QVERIFY(!window.mdiArea()->horizontalScrollBar()->isVisible());
    QVERIFY(!window.mdiArea()->verticalScrollBar()->isVisible());
    QVERIFY(large->grid()->verticalScrollBar()->isVisible());
    auto *close = large->findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(close && close->isVisible());
    QVERIFY(workspace.contains(QRect(close->mapTo(window.mdiArea()->viewport(), QPoint(0, 0)), close->size())));

    // Cascade staggers the windows and keeps every size.
    const QList<QMdiSubWindow *> subs = window.mdiArea()->subWindowList();
    const QSize sizes[] = {subs[0]->size(), subs[1]->size()};
    trigger(window, QStringLiteral("mnuWindowCascade"));
    QVERIFY(subs[0]->size() == sizes[0] && subs[1]->size() == sizes[1]);
    QVERIFY(subs[0]->pos() != subs[1]->pos());
}

void TestMainFrm::messageBoxCaptionStandsWhole_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("information, short text") << 0;
    QTest::newRow("error, short text") << 1;
    QTest::newRow("question") << 2;
}

// A box shorter than its caption is widened so that the window manager's
// title bar holds the caption in its bold face beside an icon and three
// buttons, instead of cutting it ("ロト6… ンLite").
void TestMainFrm::messageBoxCaptionStandsWhole()
{
    QFETCH(int, kind);
    const MessageRequest requests[] = {Messages::information(QStringLiteral("保存しました。")),
                                       Messages::error(QStringLiteral("x")),
                                       Messages::confirm(QStringLiteral("よろしいですか？"))};
    QWidget parent;
    parent.show();
    int width = 0;
    int needed = 0;
    QTimer::singleShot(0, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        QFont bold = box->font();
        bold.setBold(true);
        const int bar = std::max(20, box->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, box));
        needed = QFontMetrics(bold).horizontalAdvance(box->windowTitle()) + 4 * bar;
        width = box->width();
        box->done(QMessageBox::No);
    });
    Messages::showBox(&parent, requests[kind]);
    QVERIFY(needed > 0);
    QVERIFY2(width >= needed, qPrintable(QStringLiteral("%1 < %2").arg(width).arg(needed)));
}

void TestMainFrm::tiledWindowsScrollTheirContent_data()
{
    QTest::addColumn<QString>("arrangement");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("button");
    QTest::newRow("side by side: 一発ケルモン予想") << QStringLiteral("mnuWindowVertical") << QStringLiteral("一発ケルモン予想")
                                             << QStringLiteral("Cmd閉じる");
    QTest::newRow("one above the other: 当選データ取込") << QStringLiteral("mnuWindowHorizontal")
                                                << QStringLiteral("当選データ取込") << QStringLiteral("Cmd閉じる");
}

// Tiled three at a time, a window smaller than its layout keeps the layout
// and scrolls it: every button can be brought into view and reached.
void TestMainFrm::tiledWindowsScrollTheirContent()
{
    QFETCH(QString, arrangement);
    QFETCH(QString, className);
    QFETCH(QString, button);
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QVERIFY(window.load());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    trigger(window, QStringLiteral("mnuSyutugenHindo"));
    trigger(window, QStringLiteral("mnuMasterImport"));
    QCOMPARE(window.mdiArea()->subWindowList().size(), 3);
    trigger(window, arrangement);
    QApplication::processEvents();

    QWidget *content = window.childWindow(className);
    QMdiSubWindow *sub = enclosingSubWindow(content);
    auto *scroll = sub->findChild<QScrollArea *>(QStringLiteral("childScroll"));
    QVERIFY(scroll);
    QVERIFY2(scroll->horizontalScrollBar()->isVisible() || scroll->verticalScrollBar()->isVisible(),
             "the tiled window should be smaller than its layout");
    // Not squeezed below what its layout needs at the width it has.
    const QSize least = content->minimumSizeHint();
    QLayout *layout = content->layout();
    QVERIFY(content->width() >= least.width());
    QVERIFY(content->height()
            >= (layout && layout->hasHeightForWidth() ? layout->minimumHeightForWidth(content->width()) : least.height()));
    auto *target = content->findChild<QPushButton *>(button);
    QVERIFY(target);
    scroll->ensureWidgetVisible(target);
    const QRect shown(target->mapTo(scroll->viewport(), QPoint(0, 0)), target->size());
    QVERIFY2(scroll->viewport()->rect().contains(shown), qPrintable(QVariant(shown).toString()));
}

void TestMainFrm::frameComesBackWhereItWas()
{
    // Kept beside the options file, in the working directory of a program
    // run from its folder.
    WorkingDirectory here;
    ProgramFolder folder(SmallHistory);
    QRect placed;
    {
        MainFrm window(folder.path());
        QVERIFY(window.load());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.setGeometry(QRect(QPoint(30, 40), QSize(700, 500)));
        QApplication::processEvents();
        placed = window.geometry();
        QVERIFY(window.close());
    }
    MainFrm again(folder.path());
    QCOMPARE(again.geometry(), placed);
}

void TestMainFrm::windowsOpenUnderTheHourglass()
{
    // The hourglass is over the whole program while a window computes,
    // wherever the pointer is, and gone once it opened or failed.
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    MessageRecorder messages;
    messages.install(window);
    QVERIFY(window.load());
    std::optional<Qt::CursorShape> during;
    const auto factory = [&](bool fails) {
        return WindowFactory{QStringLiteral("テスト"), 1000, 1000, [&during, fails](const WindowContext &) -> QWidget * {
                                 const QCursor *cursor = QGuiApplication::overrideCursor();
                                 during = cursor ? std::optional(cursor->shape()) : std::nullopt;
                                 if (fails)
                                     throw RuntimeError(RuntimeErrorKind::Overflow);
                                 return new QWidget;
                             }};
    };
    for (const bool fails : {false, true}) {
        during.reset();
        window.mdiArea()->closeAllSubWindows();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window.openWindow(factory(fails));
        QCOMPARE(during, std::optional(Qt::WaitCursor));
        QVERIFY(!QGuiApplication::overrideCursor());
    }
}

void TestMainFrm::drawExportSuggestsItsName()
{
    QTemporaryDir home;
    useTemporaryHome(home);
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QVERIFY(window.load());
    auto offered = answerNextFileDialog({});
    trigger(window, QStringLiteral("mnuMasterExport"));
    QVERIFY(offered->seen);
    QCOMPARE(QFileInfo(offered->file).fileName(), QStringLiteral("当選データ書出し.csv"));
}

// The buttons of the newer windows work from the keyboard like the menus:
// each has an access key of its own, none taken by the menu bar (which
// would win, or leave both dead).
void TestMainFrm::buttonsHaveTheirOwnAccessKeys()
{
    WorkingDirectory here;
    ProgramFolder folder(SmallHistory);
    MainFrm window(folder.path());
    QVERIFY(window.load());
    QString menuKeys;
    for (QAction *menu : window.menuBar()->actions())
        menuKeys += QKeySequence::mnemonic(menu->text()).toString().right(1);
    QCOMPARE(menuKeys.size(), 6);
    for (const char *item : {"mnuTickets", "mnuKaimeSakusei", "mnuMasterImport"}) {
        trigger(window, QLatin1String(item));
        QWidget *content = ChildWindow::contentOf(window.mdiArea()->activeSubWindow());
        QVERIFY2(content, item);
        QString keys;
        for (QAbstractButton *button : content->findChildren<QAbstractButton *>()) {
            if (!qobject_cast<QPushButton *>(button) && !qobject_cast<QRadioButton *>(button))
                continue;
            const QString key = QKeySequence::mnemonic(button->text()).toString().right(1);
            const QString where = QStringLiteral("%1: %2").arg(content->objectName(), button->text());
            QVERIFY2(!key.isEmpty(), qPrintable(where));
            QVERIFY2(!keys.contains(key) && !menuKeys.contains(key), qPrintable(where));
            keys += key;
        }
    }
}

QTEST_MAIN(TestMainFrm)
#include "tst_mainfrm.moc"
