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
    // The editor's grid: its context menu, copy (Ctrl+C, the selected block
    // as tab-separated text), copy with captions and zoom. asSheet gives
    // its contents as a table: the column captions as row 1, then model row
    // r as row r + 2, model column c as column c + 1.
    void addGrid(QTableView *grid, std::function<Sheet()> asSheet);
    // Rows are draws: goTo brings the draw's row into view as the current
    // cell and returns false when the table has no such draw; range gives
    // the table's first and last draw numbers.
    using DrawRange = std::pair<int, int>;
    void enableGoToDraw(std::function<bool(int drawNo)> goTo, std::function<DrawRange()> range);
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
    // The draw as typed into 回数へ移動 ("2000", "２０００", "第2000回"):
    // text that is no draw number, or one outside the table's range, is
    // refused with a message saying so.
    bool moveToDraw(const QString &typed);

private:
    QAction *addAction(const QString &name, const QString &text, const QKeySequence &key, void (TableActions::*slot)());
    void showMenu(QWidget *grid, const QPoint &globalPos);
    void zoomActive(int step);
    // The grid a copy takes: the one the menu was opened over, else the one
    // holding the focus, else the first.
    QWidget *copySource() const;
    void copy(bool withCaptions);
    void copyWithCaptions() { copy(true); }
    void error(const QString &text);
    bool moveToDrawNumber(qlonglong drawNo);

    QWidget *m_window = nullptr;
    Source m_source;
    QMenu *m_menu = nullptr;
    QAction *m_copy = nullptr;
    QAction *m_copyWithCaptions = nullptr;
    QAction *m_goTo = nullptr;
    std::vector<QAction *> m_zoomActions;
    std::function<bool(int)> m_goToDraw;
    std::function<DrawRange()> m_drawRange;
    MessagePresenter m_presenter;
    QPointer<QWidget> m_menuGrid; // the grid the menu was opened over
    struct Grid
    {
        QPointer<SheetView> view;
        int drawColumn = 0;
    };
    std::vector<Grid> m_sheetGrids;
    struct TableGrid
    {
        QPointer<QTableView> view;
        std::function<Sheet()> asSheet;
    };
    std::vector<TableGrid> m_tableGrids;
};
