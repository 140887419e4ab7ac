#pragma once

#include "app/gui/aboutwindow.h"
#include "app/gui/helpviewer.h"
#include "prediction/predictionengine.h"
#include "store/globalbas.h"
#include "ui/gui/messages.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

class QMdiArea;
class QMdiSubWindow;


// The program's only top-level frame: the menu, the child windows, start-up
// and exit. It owns the draw history store and the one-window flag propEnd.
class MainFrm : public QMainWindow
{
    Q_OBJECT
    Q_PROPERTY(bool propEnd READ propEnd WRITE setPropEnd)

public:
    // programFolder is the executable's folder; DataLocation says where the
    // database and the options file are for a program there.
    explicit MainFrm(const QString &programFolder, QWidget *parent = nullptr);
    ~MainFrm() override;

    // The start-up sequence. Returns false when the store cannot be built
    // (the user has been told which file and why) or the window was closed
    // while it ran: either way the program must end.
    bool load();
    // 終了 (or the close box) has been chosen: the program ends, even when
    // that came while it was still starting.
    bool isClosing() const { return m_closing; }

    const DrawHistoryStore &store() const { return *m_store; }
    bool hasStore() const { return m_store.has_value(); }
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

    // Opens a child window at the top-left corner with its size in twips,
    // following the load steps every analysis-type window shares: hourglass,
    // pending events once, propEnd false, placement, create, default pointer.
    // create may throw RuntimeError: the window is not opened and the user is
    // told. An open window of the same class is brought to the front instead.
    QWidget *openChild(const QString &className, int heightTwips, int widthTwips,
                       const std::function<QWidget *()> &create);

    // The menu actions.
    void showAnalysis(const QString &className);
    void arrange(int code);
    void showAbout();
    // 予想の検証, with the prediction window's current reflect options.
    void showBacktest();
    void showRandomness();

    // The draw database was written by this program (an import): the store
    // is read again, the prediction window recomputed and the open tickets
    // checked against the new draws.
    // Analysis windows already open keep what they computed.
    void databaseChanged();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;

private:
    void createMenus();
    void runMenuItem(const QString &name);
    void mnuYoso_Click();
    void showPrediction(bool fromActivation);
    void mnuMasterInput_Click();
    void mnuMasterUpdate_Click();
    void mnuTickets_Click();
    void mnuHelpFile_Click();
    void mnuMasterImport_Click();
    void mnuMasterExport_Click();
    QMdiSubWindow *subWindow(const QString &className) const;

    QString m_programFolder;
    std::optional<DrawHistoryStore> m_store;
    std::unique_ptr<PredictionEngine> m_prediction;
    // The prediction window failed to open: activation does not try again
    // (its message would activate the main window, and so on); the menu does.
    bool m_predictionFailed = false;
    bool m_openingPrediction = false;
    bool m_propEnd = true;
    bool m_loaded = false;
    bool m_closing = false;
    // The last other window of the program that had the focus was one of
    // its message boxes (a modal dialog): the main window getting the focus
    // back from it is not an activation that shows the prediction.
    bool m_backFromMessageBox = false;
    QMdiArea *m_mdi = nullptr;
    QHash<QString, QPointer<QMdiSubWindow>> m_children;
    QPointer<AboutWindow> m_about;
    QPointer<HelpViewer> m_help;
    QUrl m_downloadUrl;
    MessagePresenter m_presenter;
};
