#pragma once

#include "app/gui/aboutwindow.h"
#include "app/gui/helpviewer.h"
#include "app/gui/menucommands.h"
#include "app/gui/windowcontext.h"
#include "prediction/predictionengine.h"
#include "store/drawstore.h"
#include "ui/gui/messages.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>

#include <memory>
#include <optional>

class QMdiArea;
class QMdiSubWindow;
class TicketLedgerWatch;

// The program's only top-level frame: the menu tree with each entry's action
// (menutree.h), the child windows and their arrangement, start-up and exit.
// It owns the draw store, the prediction's flags and the one-window flag
// propEnd; the windows it opens get a WindowContext instead of the frame.
class MainFrm : public QMainWindow
{
    Q_OBJECT
    Q_PROPERTY(bool propEnd READ propEnd WRITE setPropEnd)

public:
    static inline const QString GeometryFileName = QStringLiteral("ロト6ケルモン画面.ini");

    // programFolder is the executable's folder; DataLocation says where the
    // database and the options file are for a program there.
    explicit MainFrm(const QString &programFolder, QWidget *parent = nullptr);
    ~MainFrm() override;

    // The start-up sequence. Returns false when the store cannot be built
    // (the user has been told which file and why): the program must end.
    bool load();
    // 終了 (or the close box) has been chosen.

    // The draws as they are now (the store follows every write of the program).
    const DrawHistoryStore &store() const { return m_store->history(); }
    bool hasStore() const { return m_store != nullptr; }
    // What the windows get; nullptr until load() has built the store.
    const WindowContext *context() const { return m_context ? &*m_context : nullptr; }
    const QString &programFolder() const { return m_programFolder; }
    // The prediction's flags and tables, from start-up (ReadInitFile) to exit.
    PredictionEngine *prediction() const { return m_prediction.get(); }

    // True while no analysis-type window is open. One flag, not a count.
    bool propEnd() const { return m_propEnd; }
    void setPropEnd(bool value) { m_propEnd = value; }

    // Every message box of the program goes through the presenter, so that
    // tests can read what would be shown and answer it.
    void setMessagePresenter(MessagePresenter presenter) { m_presenter = std::move(presenter); }
    QMessageBox::StandardButton message(const MessageRequest &request);

    QMdiArea *mdiArea() const { return m_mdi; }
    // The open child window of that class name (its content widget), or nullptr.
    QWidget *childWindow(const QString &className) const;
    AboutWindow *aboutWindow() const { return m_about; }
    HelpViewer *helpViewer() const { return m_help; }

    // Where 当選データ最新化 downloads from: the build's download host unless
    // pointed elsewhere (a test server, a mirror).
    const QUrl &downloadUrl() const { return m_downloadUrl; }
    void setDownloadUrl(const QUrl &url) { m_downloadUrl = url; }

    // Opens the factory's window as a child at the top-left corner, following
    // the load steps every analysis-type window shares: hourglass, pending
    // events once, propEnd false, placement, create, default pointer. A window
    // that cannot be made does not open and the user is told. An open window
    // of the same class is brought to the front instead. Returns the window's
    // content, or nullptr.
    QWidget *openWindow(const WindowFactory &factory);

    // 一発ケルモン予想: the prediction window, also shown at every activation.
    void showPrediction();
    void showAbout();
    void showHelp();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void createMenus();
    // Where and how large the window was when the program last ended, kept
    // beside the options file (whose format is fixed).
    QString frameGeometryFile() const;
    void restoreFrameGeometry();
    void saveFrameGeometry() const;
    void showPrediction(bool fromActivation);
    QMdiSubWindow *subWindow(const QString &className) const;

    QString m_programFolder;
    std::unique_ptr<DrawStore> m_store;
    std::unique_ptr<PredictionEngine> m_prediction;
    std::unique_ptr<TicketLedgerWatch> m_ledger;
    std::optional<WindowContext> m_context;
    // The prediction window failed to open: activation does not try again
    // (its message would activate the main window, and so on); the menu does.
    bool m_predictionFailed = false;
    bool m_openingPrediction = false;
    bool m_propEnd = true;
    bool m_loaded = false;
    bool m_closing = false;
    // Since the main window last became active, the focus was in another
    // top-level window of the program (the about window, the help viewer),
    // not only in its dialogs and pop-ups or in another application: the
    // one occasion on which an activation shows the prediction.
    bool m_backFromOwnWindow = false;
    QMdiArea *m_mdi = nullptr;
    QHash<QString, QPointer<QMdiSubWindow>> m_children;
    QPointer<AboutWindow> m_about;
    QPointer<HelpViewer> m_help;
    QUrl m_downloadUrl;
    MessagePresenter m_presenter;
};
