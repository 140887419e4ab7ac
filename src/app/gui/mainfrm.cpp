#include "app/gui/mainfrm.h"

#include "analysis/catalog.h"
#include "analysis/gui/analysisframe.h"
#include "analysis/gui/randomnesswindow.h"
#include "app/gui/aboutwindow.h"
#include "app/gui/childwindow.h"
#include "app/gui/helpviewer.h"
#include "app/gui/menutree.h"
#include "app/gui/windowarrangement.h"
#include "maintenance/drawdataupdate.h"
#include "maintenance/drawexportfile.h"
#include "maintenance/gui/drawimportwindow.h"
#include "maintenance/gui/drawresultseditor.h"
#include "maintenance/gui/ticketwindow.h"
#include "maintenance/gui/updateprogressdialog.h"
#include "prediction/gui/backtestwindow.h"
#include "prediction/gui/predictionwindow.h"
#include "prediction/backtestsheets.h"
#include "prediction/optionsfile.h"
#include "store/datalocation.h"
#include "store/drawdatabase.h"
#include "ui/tableoutput.h"
#include "ui/gui/metrics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QWindow>

#include <utility>

MainFrm::MainFrm(const QString &programFolder, QWidget *parent)
    : QMainWindow(parent)
    , m_programFolder(programFolder)
    , m_downloadUrl(DrawDataUpdate::defaultUrl())
    , m_presenter(&Messages::showBox)
{
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(QStringLiteral("ロト6ケルモンLite"));
    setFont(Metrics::gridFont());
    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("mdiArea"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    // 1280 × 960 where the screen has room, otherwise what it has: a window
    // reaching past the screen hides its own minimised children.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(WindowArrangement::fitOnScreen(QSize(1280, 960), screen->availableGeometry(), QSize(16, 48)));
    else
        resize(1280, 960);
    createMenus();
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        if (window && window != windowHandle())
            m_backFromMessageBox = WindowArrangement::isModalDialog(window);
    });
}

MainFrm::~MainFrm()
{
    // Children still open at destruction must not report back to a frame
    // that is already half gone.
    for (QMdiSubWindow *window : m_mdi->subWindowList())
        disconnect(window, nullptr, this, nullptr);
}

void MainFrm::createMenus()
{
    const std::vector<MenuItem> &tree = menuTree();
    QMenu *menus[4] = {nullptr, nullptr, nullptr, nullptr};
    for (size_t i = 0; i < tree.size(); ++i) {
        const MenuItem &item = tree[i];
        if (item.isSeparator()) {
            menus[item.level - 1]->addSeparator()->setObjectName(item.name);
            continue;
        }
        const bool hasSubMenu = i + 1 < tree.size() && tree[i + 1].level > item.level;
        if (hasSubMenu) {
            QMenu *menu = item.level == 1 ? menuBar()->addMenu(item.caption) : menus[item.level - 1]->addMenu(item.caption);
            menu->setObjectName(item.name);
            menu->menuAction()->setObjectName(item.name + QStringLiteral("Action"));
            menus[item.level] = menu;
            continue;
        }
        QAction *action = item.level == 1 ? menuBar()->addAction(item.caption)
                                          : menus[item.level - 1]->addAction(item.caption);
        action->setObjectName(item.name);
        const QString name = item.name;
        connect(action, &QAction::triggered, this, [this, name] { runMenuItem(name); });
    }
}

void MainFrm::showBacktest()
{
    if (!m_store || !m_prediction)
        return;
    setCursor(Qt::WaitCursor);
    QApplication::processEvents();
    openChild(BacktestSheets::WindowName, 11400, 18600,
              [&]() -> QWidget * { return new BacktestWindow(*m_store, m_prediction->flags()); });
    unsetCursor();
}

void MainFrm::runMenuItem(const QString &name)
{
    if (name == QLatin1String("mnuEnd")) {
        close();
    } else if (name == QLatin1String("mnuYoso")) {
        mnuYoso_Click();
    } else if (name == QLatin1String("mnuMasterInput")) {
        mnuMasterInput_Click();
    } else if (name == QLatin1String("mnuTickets")) {
        mnuTickets_Click();
    } else if (name == QLatin1String("mnuMasterImport")) {
        mnuMasterImport_Click();
    } else if (name == QLatin1String("mnuMasterExport")) {
        mnuMasterExport_Click();
    } else if (name == QLatin1String("mnuMasterUpdate")) {
        mnuMasterUpdate_Click();
    } else if (name == QLatin1String("mnuHelpFile")) {
        mnuHelpFile_Click();
    } else if (name == QLatin1String("mnuAbout")) {
        showAbout();
    } else if (name == QLatin1String("mnuYosoKensyo")) {
        showBacktest();
    } else if (name == QLatin1String("mnuRandomness")) {
        showRandomness();
    } else if (name == QLatin1String("mnuWindowHorizontal")) {
        arrange(1);
    } else if (name == QLatin1String("mnuWindowVertical")) {
        arrange(2);
    } else if (name == QLatin1String("mnuWindowCascade")) {
        arrange(0);
    } else if (name == QLatin1String("mnuWindowArrangeIcon")) {
        arrange(3);
    } else {
        for (const MenuItem &item : menuTree()) {
            if (item.name == name && !item.window.isEmpty())
                showAnalysis(item.window);
        }
    }
}

QMessageBox::StandardButton MainFrm::message(const MessageRequest &request)
{
    return m_presenter(this, request);
}

bool MainFrm::load()
{
    // The prediction window's options are read first, before the store. A
    // missing file (the first run) or a bad line keeps the flags read so far,
    // without a message.
    m_prediction = std::make_unique<PredictionEngine>();
    m_prediction->setInitFile(DataLocation::settingsFile(m_programFolder, OptionsFile::FileName));
    m_prediction->ReadInitFile();
    setCursor(Qt::WaitCursor);
    QApplication::processEvents();
    m_propEnd = true;
    // An installed program's first start makes the user's own database.
    if (const QString problem = DataLocation::prepare(m_programFolder); !problem.isEmpty()) {
        unsetCursor();
        message(Messages::error(problem));
        return false;
    }
    try {
        m_store.emplace(LoadDrawHistory(DataLocation::databaseFolder(m_programFolder)));
    } catch (const DatabaseError &error) {
        unsetCursor();
        message(Messages::error(error.message()));
        return false;
    } catch (const RuntimeError &error) {
        unsetCursor();
        message(Messages::error(error.message()));
        return false;
    }
    unsetCursor();
    m_loaded = true;
    // The program comes up with the prediction on screen, opened before the
    // main window shows: its first activation may never come where no window
    // manager hands out the focus.
    showPrediction(true);
    return true;
}

QMdiSubWindow *MainFrm::subWindow(const QString &className) const
{
    const QPointer<QMdiSubWindow> window = m_children.value(className);
    return window.data();
}

QWidget *MainFrm::childWindow(const QString &className) const
{
    QMdiSubWindow *window = subWindow(className);
    return window ? window->widget() : nullptr;
}

QWidget *MainFrm::openChild(const QString &className, int heightTwips, int widthTwips,
                            const std::function<QWidget *()> &create)
{
    if (QMdiSubWindow *open = subWindow(className)) {
        if (open->isMinimized())
            open->showNormal();
        m_mdi->setActiveSubWindow(open);
        open->raise();
        return open->widget();
    }

    setCursor(Qt::WaitCursor);
    QApplication::processEvents();
    m_propEnd = false;
    QWidget *content = nullptr;
    const auto refuse = [&](const QString &reason) {
        // The window never opened, so it does not hold the flag.
        m_propEnd = true;
        unsetCursor();
        message(Messages::error(QStringLiteral("%1: %2").arg(className, reason)));
    };
    try {
        content = create();
    } catch (const RuntimeError &error) {
        refuse(error.message());
        return nullptr;
    } catch (const DatabaseError &error) {
        refuse(error.message());
        return nullptr;
    }

    auto *window = new ChildWindow;
    window->setWidget(content);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(content->windowTitle());
    m_mdi->addSubWindow(window);
    window->setGeometry(0, 0, Metrics::twipsToPixels(widthTwips), Metrics::twipsToPixels(heightTwips));
    m_children.insert(className, window);
    connect(window, &ChildWindow::unloaded, this, [this] { m_propEnd = true; });
    // Each window's own close button ("閉じる") unloads it like the close box.
    if (content->metaObject()->indexOfSignal("closeRequested()") >= 0)
        connect(content, SIGNAL(closeRequested()), window, SLOT(close()));
    window->show();
    m_mdi->setActiveSubWindow(window);
    // A window that names the widget for the keyboard (an analysis window's
    // grid) opens with it focused: Ctrl+End and the arrows work at once.
    if (content->focusProxy())
        content->setFocus(Qt::OtherFocusReason);
    unsetCursor();
    return content;
}

void MainFrm::showAnalysis(const QString &className)
{
    const AnalysisWindow *description = findAnalysisWindow(className);
    if (!description || !description->build || !m_store)
        return;
    setCursor(Qt::WaitCursor);
    QApplication::processEvents();
    openChild(className, description->heightTwips, description->widthTwips,
              [&]() -> QWidget * {
                  return new AnalysisFrame(*description, description->build(*m_store), nullptr,
                                           TableOutput::drawRange(*m_store));
              });
    unsetCursor();
}

void MainFrm::showRandomness()
{
    if (!m_store)
        return;
    openChild(RandomnessWindow::ClassName, RandomnessWindow::HeightTwips, RandomnessWindow::WidthTwips,
              [&]() -> QWidget * { return new RandomnessWindow(*m_store); });
}

void MainFrm::arrange(int code)
{
    switch (code) {
    case 0:
        // Qt's own cascade shrinks windows without a size hint to a title bar.
        WindowArrangement::cascade(m_mdi);
        return;
    case 1:
    case 2: {
        QList<QMdiSubWindow *> windows;
        for (QMdiSubWindow *w : m_mdi->subWindowList(QMdiArea::StackingOrder)) {
            if (!w->isMinimized() && w->isVisible())
                windows << w;
        }
        if (windows.isEmpty())
            return;
        const QRect area = m_mdi->viewport()->rect();
        const int n = int(windows.size());
        for (int i = 0; i < n; ++i) {
            QMdiSubWindow *w = windows[n - 1 - i]; // the active window first
            if (w->isMaximized())
                w->showNormal();
            if (code == 1) {
                const int h = area.height() / n;
                w->setGeometry(0, i * h, area.width(), h);
            } else {
                const int wd = area.width() / n;
                w->setGeometry(i * wd, 0, wd, area.height());
            }
        }
        return;
    }
    case 3: {
        // Minimised windows line up along the bottom, left to right.
        int x = 0;
        const QRect area = m_mdi->viewport()->rect();
        for (QMdiSubWindow *w : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
            if (!w->isMinimized())
                continue;
            const QSize size = w->size();
            if (x + size.width() > area.width() && x > 0)
                x = 0;
            w->move(x, area.height() - size.height());
            x += size.width();
        }
        return;
    }
    default:
        return;
    }
}

void MainFrm::showAbout()
{
    if (!m_about) {
        m_about = new AboutWindow(this);
        m_about->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void MainFrm::mnuYoso_Click()
{
    showPrediction(false);
}

void MainFrm::showPrediction(bool fromActivation)
{
    // Opening lets pending events run, and an activation among them must not
    // open a second window.
    if (!m_store || !m_prediction || m_openingPrediction || (fromActivation && m_predictionFailed))
        return;
    m_openingPrediction = true;
    const QString className = PredictionEngine::WindowName;
    setCursor(Qt::WaitCursor);
    QApplication::processEvents();
    QWidget *content = openChild(className, 8400, 9360, [&]() -> QWidget * {
        return new PredictionWindow(*m_prediction, *m_store);
    });
    m_predictionFailed = content == nullptr;
    m_openingPrediction = false;
    unsetCursor();
}

void MainFrm::mnuMasterInput_Click()
{
    if (!m_propEnd) {
        message(Messages::error(QStringLiteral("表示中のウィンドウを閉じないと実行できません。")));
        unsetCursor();
        return;
    }
    if (!m_store)
        return;
    const QString className = DrawResultsEditor::ClassName;
    QWidget *content = openChild(className, DrawResultsEditor::HeightTwips, DrawResultsEditor::WidthTwips, [&]() -> QWidget * {
        // Its own connection, opened for writing; the store stays as loaded.
        return new DrawResultsEditor(DrawRecordEditor::open(m_store->ConnectString),
                                     [this](const MessageRequest &request) { return message(request); });
    });
    // No minimise and no maximise button.
    if (auto *window = content ? qobject_cast<QMdiSubWindow *>(content->parentWidget()) : nullptr) {
        window->setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                               | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
        window->show();
        m_mdi->setActiveSubWindow(window);
        content->setFocus();
    }
}

void MainFrm::mnuTickets_Click()
{
    if (!m_store)
        return;
    // The ledger lives apart from the draw database, which an update replaces;
    // the draws are read afresh so that results entered since start-up count.
    openChild(TicketWindow::ClassName, TicketWindow::HeightTwips, TicketWindow::WidthTwips, [&]() -> QWidget * {
        return new TicketWindow(
            TicketLedger::open(TicketLedger::defaultPath(m_programFolder)), TicketWindow::currentResults(*m_store),
            [this] {
                PredictionEngine engine;
                engine.setFlags(m_prediction->flags());
                engine.SetUpPredictionGrids(*m_store);
                return engine;
            },
            [this](const MessageRequest &request) { return message(request); });
    });
}

void MainFrm::mnuMasterUpdate_Click()
{
    // Replaces the database the store was loaded from. The store itself is
    // not rebuilt: the analyses show the new draws after the next start.
    // The editor's connection would go on writing to the replaced file, so
    // edits made after the update would be lost: it must be closed first.
    if (subWindow(DrawResultsEditor::ClassName)) {
        message(Messages::error(QStringLiteral("当選データ入力を閉じてから当選データ最新化を実行してください。")));
        return;
    }
    setCursor(Qt::WaitCursor);
    QApplication::processEvents();
    const DrawDataUpdate::Result result
        = UpdateProgressDialog::run(this, m_downloadUrl, DataLocation::databaseFile(m_programFolder));
    unsetCursor();
    // Open tickets are checked against the new draws at once.
    if (auto *tickets = qobject_cast<TicketWindow *>(childWindow(TicketWindow::ClassName)); tickets && result.succeeded())
        tickets->setResults(TicketWindow::currentResults(*m_store));
    message(result.isFault() ? Messages::error(result.message) : Messages::information(result.message));
}

void MainFrm::mnuHelpFile_Click()
{
    const QString keyword = QStringLiteral("ロト6ケルモンについて");
    if (!m_help) {
        m_help = new HelpViewer(this);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_help->openFile(DataLocation::resourceFolder(m_programFolder) + QLatin1Char('/') + HelpViewer::FileName);
    // The index at the keyword first, then the keyword's own topic.
    m_help->displayIndex(keyword);
    m_help->keywordLookup(keyword);
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void MainFrm::mnuMasterImport_Click()
{
    // The editor writes every change at once on a connection of its own;
    // the two must not write the same file at the same time.
    if (subWindow(DrawResultsEditor::ClassName)) {
        message(Messages::error(QStringLiteral("当選データ入力を閉じないと実行できません。")));
        return;
    }
    if (!m_store)
        return;
    const QString path = DrawDatabase::parseConnectString(m_store->ConnectString).path;
    QWidget *content = openChild(DrawImportWindow::ClassName, DrawImportWindow::HeightTwips, DrawImportWindow::WidthTwips,
                                 [&]() -> QWidget * {
                                     return new DrawImportWindow(path, [this](const MessageRequest &request) { return message(request); });
                                 });
    if (auto *window = qobject_cast<DrawImportWindow *>(content))
        connect(window, &DrawImportWindow::databaseChanged, this, &MainFrm::databaseChanged, Qt::UniqueConnection);
}

void MainFrm::mnuMasterExport_Click()
{
    if (!m_store)
        return;
    const QString utf8 = QStringLiteral("CSV UTF-8 BOM付き (*.csv)");
    const QString shiftJis = QStringLiteral("CSV Shift_JIS (*.csv)");
    QString filter = utf8;
    const QString out = QFileDialog::getSaveFileName(this, QStringLiteral("当選データ書出し"), QStringLiteral("loto6-history.csv"),
                                                     utf8 + QStringLiteral(";;") + shiftJis, &filter);
    if (out.isEmpty())
        return;
    setCursor(Qt::WaitCursor);
    const DrawExport::Result result = DrawExport::save(DrawDatabase::parseConnectString(m_store->ConnectString).path, out,
                                                       filter == shiftJis ? DrawExport::Encoding::ShiftJis : DrawExport::Encoding::Utf8Bom);
    unsetCursor();
    message(result.ok ? Messages::information(result.message) : Messages::error(result.message));
}

void MainFrm::databaseChanged()
{
    if (!m_store)
        return;
    setCursor(Qt::WaitCursor);
    try {
        // Assigned, not re-created: a window holding the store sees the new one.
        *m_store = loadDrawHistoryFrom(m_store->ConnectString);
        if (auto *prediction = qobject_cast<PredictionWindow *>(childWindow(PredictionEngine::WindowName)))
            prediction->recompute(*m_store);
        if (auto *tickets = qobject_cast<TicketWindow *>(childWindow(TicketWindow::ClassName)))
            tickets->setResults(TicketWindow::currentResults(*m_store));
    } catch (const DatabaseError &error) {
        message(Messages::error(error.message()));
    } catch (const RuntimeError &error) {
        message(Messages::error(QStringLiteral("%1: %2").arg(PredictionEngine::WindowName, error.message())));
    }
    unsetCursor();
}

bool MainFrm::event(QEvent *event)
{
    // Whenever the main window becomes active again, the prediction is shown;
    // not when the focus only comes back from one of the program's message
    // boxes or other modal dialogs (it would jump in front of the window the
    // box was about).
    if (event->type() == QEvent::WindowActivate && m_loaded && !m_closing) {
        if (m_backFromMessageBox)
            m_backFromMessageBox = false;
        else
            showPrediction(true);
    }
    return QMainWindow::event(event);
}

void MainFrm::closeEvent(QCloseEvent *event)
{
    // No confirmation: the children close first, each running its unload.
    m_closing = true;
    if (auto *editor = qobject_cast<DrawResultsEditor *>(childWindow(DrawResultsEditor::ClassName)))
        editor->closeWithoutQuestion();
    m_mdi->closeAllSubWindows();
    if (m_about)
        m_about->close();
    if (m_help)
        m_help->close();
    // The prediction options are saved here, before the store is released.
    // The old file is replaced only by a complete new one; when that fails
    // the user learns that this run's options are lost, and the exit goes on.
    if (m_prediction) {
        QString error;
        if (!m_prediction->WriteInitFile(&error)) {
            message(Messages::error(QStringLiteral("オプションファイル「%1」を保存できませんでした。\n%2")
                                        .arg(OptionsFile::FileName, error)));
        }
    }
    m_store.reset();
    setCursor(Qt::WaitCursor);
    QApplication::processEvents();
    unsetCursor();
    event->accept();
}
