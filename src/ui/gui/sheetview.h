#pragma once

#include "ui/sheet.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QStaticText>

#include <vector>

// Paints a Sheet exactly as the grid model describes it: widths, heights,
// frozen leading rows and columns, colours, alignment, borders by side and
// text overflow. Read-only: every cell is static. Only the visible cells are
// painted, so tables of thousands of rows scroll smoothly. Scrolling moves by
// whole rows and columns, as the grid always has.
class SheetView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit SheetView(QWidget *parent = nullptr);

    void setSheet(Sheet sheet);
    const Sheet &sheet() const { return m_sheet; }

    // First scrolled (non-frozen) row and column in view.
    int topRow() const;
    int leftCol() const;
    void scrollToCell(int col, int row);

    // The selected block; empty when the active cell is (0, 0).
    bool hasSelection() const { return m_selCol1 > 0 && m_selRow1 > 0; }
    Block selection() const;
    void selectBlock(int col1, int row1, int col2, int row2);
    // The selected cells as tab-separated text, rows ended by newlines.
    QString selectedText() const;
    void copySelection() const;

    // The cell under a viewport point, or (0, 0).
    QPoint cellAt(const QPoint &viewportPos) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct Span
    {
        int index;  // column or row number
        int start;  // pixel position in the viewport
        int length; // pixels
    };
    void recomputeMetrics();
    void updateScrollBars();
    std::vector<Span> visibleColumns() const;
    std::vector<Span> visibleRows() const;
    int pagedRows() const;
    int pagedCols() const;
    // Texts laid out once and drawn many times ("●", numbers, captions).
    const QStaticText &staticText(const QString &text) const;

    Sheet m_sheet;
    std::vector<int> m_colPixels; // index 0 … cols
    std::vector<int> m_rowPixels; // index 0 … rows
    int m_selCol1 = 0, m_selRow1 = 0, m_selCol2 = 0, m_selRow2 = 0;
    int m_anchorCol = 0, m_anchorRow = 0;
    mutable QHash<QString, QStaticText> m_textCache;
};
