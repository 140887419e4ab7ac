#pragma once

#include "ui/gui/messages.h"
#include "ui/gui/sheetprinter.h"
#include "ui/tableoutput.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <vector>

class QAction;
class QMenu;
class QTableView;
class SheetView;

// What every table window offers its user: 印刷... (Ctrl+P, Qt's print
// preview of the whole table), PDFで保存..., CSVで保存..., copying with the
// caption rows and columns, zoom, and 回数へ移動... (Ctrl+G) where the rows
// are draws. The window says what its tables are; this object builds the
// actions, the grids' context menu and the dialogs.
class TableActions : public QObject
{
    Q_OBJECT

public:
    struct Source
    {
        // The window's tables as they print.
        std::function<SheetPrinter::Document()> document;
        // The window's tables as CSV text.
        std::function<QString()> csv;
    };

    TableActions(QWidget *window, Source source);

    // A grid of the window: its context menu, copy with captions and zoom;
    // drawColumn as for TableOutput::captions.
    void addGrid(SheetView *grid, int drawColumn = 0);
    // The editor's grid: its context menu and zoom.
    void addGrid(QTableView *grid);
    // Rows are draws: goTo brings the draw's row into view as the current
    // cell and returns false when the table has no such draw.
    void enableGoToDraw(std::function<bool(int drawNo)> goTo);
    // Message boxes go through this (Messages::showBox unless set).
    void setPresenter(MessagePresenter presenter) { m_presenter = std::move(presenter); }

    // The context menu as it opens over a grid.
    QMenu *menu() const { return m_menu; }

    void printPreview();
    void savePdf();
    void saveCsv();
    void goToDraw();

    // The work behind the dialogs; failures are shown and return false.
    bool writePdf(const QString &path, bool fitWidth = false);
    bool writeCsv(const QString &path, TableOutput::Encoding encoding);
    bool moveToDraw(int drawNo);

private:
    QAction *addAction(const QString &name, const QString &text, const QKeySequence &key, void (TableActions::*slot)());
    void showMenu(QWidget *grid, const QPoint &globalPos);
    void zoomActive(int step);
    void copyWithCaptions();
    void error(const QString &text);
    QString suggestedPath(const QString &suffix) const;

    QWidget *m_window = nullptr;
    Source m_source;
    QMenu *m_menu = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_copyWithCaptions = nullptr;
    QAction *m_goTo = nullptr;
    std::vector<QAction *> m_zoomActions;
    std::function<bool(int)> m_goToDraw;
    MessagePresenter m_presenter;
    QPointer<QWidget> m_menuGrid; // the grid the menu was opened over
    struct Grid
    {
        QPointer<SheetView> view;
        int drawColumn = 0;
    };
    std::vector<Grid> m_sheetGrids;
};
