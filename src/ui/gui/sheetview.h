#pragma once

#include "ui/gui/sheetpainter.h"
#include "ui/sheet.h"

#include <QAbstractScrollArea>

#include <vector>

// Paints a Sheet exactly as the grid model describes it: widths, heights,
// frozen leading rows and columns, colours, alignment, borders by side and
// text overflow. Read-only: every cell is static. Only the visible cells are
// painted, so tables of thousands of rows scroll smoothly. Scrolling moves by
// whole rows and columns, as the grid always has. The cells are drawn by
// SheetPainter, the routine the printed pages use too. Ctrl+wheel, Ctrl++,
// Ctrl+- and Ctrl+0 zoom from 50 % to 300 %.
class SheetView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit SheetView(QWidget *parent = nullptr);

    // Shows another table: from its top-left corner with its active cell
    // selected, or, with View::Keep (the same table recomputed), scrolled
    // as before with the same cells selected.
    enum class View { Reset, Keep };
    void setSheet(Sheet sheet, View view = View::Reset);
    const Sheet &sheet() const { return m_sheet; }

    // Rows kept in view while scrolling, at least the sheet's frozen rows:
    // a window may hold its caption rows on screen without changing the
    // table it exports.
    void setFrozenRowsOnScreen(int rows);
    int frozenRows() const;

    // First scrolled (non-frozen) row and column in view.
    int topRow() const;
    int leftCol() const;
    void scrollToCell(int col, int row);

    // The selected block; empty when the active cell is (0, 0).
    bool hasSelection() const { return m_selCol1 > 0 && m_selRow1 > 0; }
    Block selection() const;
    void selectBlock(int col1, int row1, int col2, int row2);
    // The selected cells as tab-separated text, rows ended by newlines,
    // bonus dots as SheetExport::BonusMark.
    QString selectedText() const;
    void copySelection() const;

    // The cell under a viewport point, or (0, 0).
    QPoint cellAt(const QPoint &viewportPos) const;

    // Zoom in percent, kept within MinZoom … MaxZoom.
    static constexpr int MinZoom = 50;
    static constexpr int MaxZoom = 300;
    static constexpr int ZoomStep = 10;
    int zoom() const { return m_zoom; }
    void setZoom(int percent);

    // In a layout the view is never wider or taller than its table, so no
    // grey band lies beside the last column or below the last row: its width
    // hint is the table's (with a scroll bar where its height needs one), and
    // it takes no more in either direction.
    void setFollowsTable(bool on);

    QSize sizeHint() const override;
    // The size within room that shows the table without an empty band
    // beside or below its cells: all of it, or whole rows and columns with
    // scroll bars for the rest.
    QSize fittedSize(QSize room) const;

Q_SIGNALS:
    void zoomChanged(int percent);

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    using Span = SheetPainter::Span;
    void recomputeMetrics();
    void updateScrollBars();
    std::vector<Span> visibleColumns() const;
    std::vector<Span> visibleRows() const;
    int pagedRows() const;
    int pagedCols() const;
    struct Bars
    {
        bool horizontal = false;
        bool vertical = false;
    };
    // The scroll bars a viewport of at most room (without bars) needs.
    Bars neededBars(QSize room) const;
    void applyZoomFont();
    void followTable();

    Sheet m_sheet;
    std::vector<int> m_colPixels; // index 0 … cols
    std::vector<int> m_rowPixels; // index 0 … rows
    int m_selCol1 = 0, m_selRow1 = 0, m_selCol2 = 0, m_selRow2 = 0;
    int m_anchorCol = 0, m_anchorRow = 0;
    SheetPainter::TextCache m_texts;
    int m_zoom = 100;
    int m_frozenRowsOnScreen = 0;
    bool m_followsTable = false;
    // With the width following the table: whether the width hint last
    // given made room for a vertical bar.
    mutable bool m_neededVerticalBar = false;
};
