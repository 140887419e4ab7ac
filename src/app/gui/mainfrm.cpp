#include "app/gui/mainfrm.h"

#include "app/gui/childwindow.h"
#include "app/gui/menutree.h"
#include "app/gui/windowarrangement.h"
#include "maintenance/drawdataupdate.h"
#include "maintenance/gui/drawresultseditor.h"
#include "maintenance/ticketledger.h"
#include "maintenance/ticketledgerwatch.h"
#include "prediction/optionsfile.h"
#include "store/datalocation.h"
#include "ui/gui/metrics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QShortcut>
#include <QWindow>

#include <utility>
#include <variant>

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
    // Closing a window gives the one the user was in before it back, not
    // the oldest one (which would be the prediction).
    m_mdi->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(m_mdi);
    // 1280 × 960 where the screen has room, otherwise what it has: a window
    // reaching past the screen hides its own minimised children.
    if (QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(WindowArrangement::fitOnScreen(QSize(1280, 960), screen->availableGeometry(), QSize(16, 48)));
    else
        resize(1280, 960);
    restoreFrameGeometry();
    createMenus();
    // Ctrl+F4 closes the child window in front, as on every desktop with
    // windows inside windows (through its own close, so the editor still asks).
    auto *closeChild = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_F4), this);
    closeChild->setObjectName(QStringLiteral("closeChild"));
    connect(closeChild, &QShortcut::activated, m_mdi, &QMdiArea::closeActiveSubWindow);
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *window) {
        if (window && window != windowHandle() && WindowArrangement::isOwnWindow(window))
            m_backFromOwnWindow = true;
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
        const MenuAction &what = item.action;
        connect(action, &QAction::triggered, this, [this, &what] {
            if (const auto *factory = std::get_if<WindowFactory>(&what))
                openWindow(*factory);
            else if (const auto *command = std::get_if<MenuCommand>(&what))
                (*command)(*this);
        });
    }
}

QString MainFrm::frameGeometryFile() const
{
    return DataLocation::settingsFile(m_programFolder, GeometryFileName);
}

void MainFrm::restoreFrameGeometry()
{
    // A screen that has changed since is Qt's to allow for: the window
    // comes back on the screen there is.
    const QByteArray saved = QSettings(frameGeometryFile(), QSettings::IniFormat).value(QStringLiteral("MainFrm/geometry")).toByteArray();
    if (!saved.isEmpty())
        restoreGeometry(saved);
}

void MainFrm::saveFrameGeometry() const
{
    // Nothing of the user's data: a position that cannot be kept is lost
    // without a word.
    QSettings settings(frameGeometryFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("MainFrm/geometry"), saveGeometry());
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
        m_store = std::make_unique<DrawStore>(LoadDrawHistory(DataLocation::databaseFolder(m_programFolder)));
    } catch (const DatabaseError &error) {
        unsetCursor();
        message(Messages::error(error.message()));
        return false;
    } catch (const RuntimeError &error) {
        unsetCursor();
        message(Messages::error(error.message()));
        return false;
    }
    m_ledger = std::make_unique<TicketLedgerWatch>(TicketLedger::defaultPath(m_programFolder));
    m_context.emplace(WindowContext{*m_store, *m_prediction, *m_ledger, m_programFolder,
                                    [this](const MessageRequest &request) { return message(request); },
                                    [this](const WindowFactory &factory) { return openWindow(factory); }});
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
    return ChildWindow::contentOf(subWindow(className));
}

QWidget *MainFrm::openWindow(const WindowFactory &factory)
{
    const QString &className = factory.className;
    if (!m_context)
        return nullptr;
    if (QMdiSubWindow *open = subWindow(className)) {
        if (open->isMinimized())
            open->showNormal();
        m_mdi->setActiveSubWindow(open);
        open->raise();
        return ChildWindow::contentOf(open);
    }

    // The hourglass over every window of the program, wherever the pointer
    // is: a window may take seconds to compute (予想の検証).
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    QApplication::processEvents();
    m_propEnd = false;
    QWidget *content = nullptr;
    const auto refuse = [&](const QString &reason) {
        // The window never opened, so it does not hold the flag.
        m_propEnd = true;
        QGuiApplication::restoreOverrideCursor();
        message(Messages::error(QStringLiteral("%1: %2").arg(className, reason)));
    };
    try {
        content = factory.create(*m_context);
    } catch (const RuntimeError &error) {
        refuse(error.message());
        return nullptr;
    } catch (const DatabaseError &error) {
        refuse(error.message());
        return nullptr;
    }

    auto *window = new ChildWindow(content);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(content->windowTitle());
    m_mdi->addSubWindow(window);
    // A window larger than the workspace (a small screen) opens fitted to
    // it, its table scrolling inside and its buttons in view.
    QSize size(Metrics::twipsToPixels(factory.widthTwips), Metrics::twipsToPixels(factory.heightTwips));
    if (m_mdi->isVisible())
        size = size.boundedTo(m_mdi->maximumViewportSize());
    window->setGeometry(QRect(QPoint(0, 0), size));
    m_children.insert(className, window);
    connect(window, &ChildWindow::unloaded, this, [this] { m_propEnd = true; });
    // Each window's own close button ("閉じる") unloads it like the close box.
    if (content->metaObject()->indexOfSignal("closeRequested()") >= 0)
        connect(content, SIGNAL(closeRequested()), window, SLOT(close()));
    window->show();
    // A layout that needs more than the designed size (this platform's fonts
    // are wider) gets it, as far as the workspace has room.
    if (m_mdi->isVisible())
        window->resize(window->size().expandedTo(window->fittingSize()).boundedTo(m_mdi->maximumViewportSize()));
    m_mdi->setActiveSubWindow(window);
    // A window that names the widget for the keyboard (an analysis window's
    // grid) opens with it focused: Ctrl+End and the arrows work at once.
    if (content->focusProxy())
        content->setFocus(Qt::OtherFocusReason);
    QGuiApplication::restoreOverrideCursor();
    return content;
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

void MainFrm::showPrediction()
{
    showPrediction(false);
}

void MainFrm::showPrediction(bool fromActivation)
{
    // Opening lets pending events run, and an activation among them must not
    // open a second window.
    if (!m_context || m_openingPrediction || (fromActivation && m_predictionFailed))
        return;
    m_openingPrediction = true;
    m_predictionFailed = openWindow(MenuCommands::prediction()) == nullptr;
    m_openingPrediction = false;
}

void MainFrm::showHelp()
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

bool MainFrm::event(QEvent *event)
{
    // The main window becoming active again after another window of the
    // program shows the prediction, but only where the user is in no child
    // window: the window they were in stays in front. Coming back from a
    // message box, a file dialog or another application is no such occasion.
    // The area has not heard of the activation yet, so its current window is
    // the one that was active before.
    if (event->type() == QEvent::WindowActivate && m_loaded && !m_closing) {
        if (std::exchange(m_backFromOwnWindow, false) && !m_mdi->currentSubWindow())
            showPrediction(true);
    }
    return QMainWindow::event(event);
}

void MainFrm::closeEvent(QCloseEvent *event)
{
    // No confirmation, but for numbers typed into the editor and not saved
    // yet: they are named, and the user may go back to them instead.
    auto *editor = qobject_cast<DrawResultsEditor *>(childWindow(DrawResultsEditor::ClassName));
    if (editor && !editor->mayCloseWithProgram()) {
        event->ignore();
        return;
    }
    // The children close first, each running its unload.
    m_closing = true;
    saveFrameGeometry();
    if (editor) {
        editor->closeWithoutQuestion();
        // The value it committed says so through a queued signal, delivered
        // by the processEvents below, after the store it would reload is gone.
        QObject::disconnect(editor, &DrawResultsEditor::drawsWritten, nullptr, nullptr);
    }
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
    m_context.reset();
    m_store.reset();
    setCursor(Qt::WaitCursor);
    QApplication::processEvents();
    unsetCursor();
    event->accept();
}
