#include "ui/gui/sheetview.h"

#include "ui/gui/metrics.h"
#include "ui/tableoutput.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// What the grid shows outside its cells.
const QColor EmptyAreaColour(0xc0, 0xc0, 0xc0);

} // namespace

SheetView::SheetView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFont(Metrics::gridFont());
    viewport()->setFont(Metrics::gridFont());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    applyZoomFont();
}

void SheetView::setSheet(Sheet sheet, View view)
{
    const bool keep = view == View::Keep && hasSelection();
    const Block selected = selection();
    const QPoint anchor(m_anchorCol, m_anchorRow);
    const QPoint scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    m_sheet = std::move(sheet);
    applyZoomFont();
    const Block active = Block::cell(m_sheet.activeCol(), m_sheet.activeRow());
    if (keep) {
        // The same cells where the table still has them (selectBlock keeps
        // them inside a table that shrank), the anchor where it was.
        selectBlock(anchor.x(), anchor.y(), anchor.x() == selected.col1 ? selected.col2 : selected.col1,
                    anchor.y() == selected.row1 ? selected.row2 : selected.row1);
    } else if (m_sheet.contains(active.col1, active.row1)) {
        selectBlock(active.col1, active.row1, active.col1, active.row1);
    } else {
        m_selCol1 = m_selRow1 = m_selCol2 = m_selRow2 = 0;
    }
    recomputeMetrics();
    horizontalScrollBar()->setValue(view == View::Keep ? scrolled.x() : 0);
    verticalScrollBar()->setValue(view == View::Keep ? scrolled.y() : 0);
    viewport()->update();
    updateGeometry();
}

namespace {
// The pixels of entries 1 … n (index 0 is the header's).
int total(const std::vector<int> &pixels);
} // namespace

void SheetView::recomputeMetrics()
{
    m_colPixels.assign(size_t(m_sheet.maxCols()) + 1, 0);
    m_rowPixels.assign(size_t(m_sheet.maxRows()) + 1, 0);
    for (int c = 1; c <= m_sheet.maxCols(); ++c)
        m_colPixels[size_t(c)] = Metrics::columnPixels(m_sheet.colWidth(c) * m_zoom / 100.0);
    for (int r = 1; r <= m_sheet.maxRows(); ++r)
        m_rowPixels[size_t(r)] = Metrics::rowPixels(m_sheet.rowHeight(r) * m_zoom / 100.0);

    // Every row and column can be reached: a bar shows whenever the table
    // does not fit, even along an axis the table itself asks no bar for.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    followTable();
    updateScrollBars();
}

namespace {

// The frozen entries (1 … frozen) and as many scrolled ones, counted from
// the end, as fit in room with them: how many scrolled ones, and the pixels
// all of them take.
struct Fit
{
    int count = 0;
    int pixels = 0;
};
Fit fitFromEnd(const std::vector<int> &pixels, int frozen, int room)
{
    Fit fit;
    for (int i = 1; i <= frozen && i < int(pixels.size()); ++i)
        fit.pixels += pixels[size_t(i)];
    for (int i = int(pixels.size()) - 1; i > frozen && fit.pixels + pixels[size_t(i)] <= room; --i) {
        fit.pixels += pixels[size_t(i)];
        ++fit.count;
    }
    return fit;
}

int total(const std::vector<int> &pixels)
{
    int sum = 0;
    for (size_t i = 1; i < pixels.size(); ++i)
        sum += pixels[i];
    return sum;
}

} // namespace

int SheetView::pagedRows() const
{
    // How many scrolled rows fit below the frozen ones, counted from the end,
    // so the last row can be brought fully into view.
    return std::max(fitFromEnd(m_rowPixels, frozenRows(), viewport()->height()).count, 1);
}

int SheetView::pagedCols() const
{
    return std::max(fitFromEnd(m_colPixels, std::min(m_sheet.frozenCols(), m_sheet.maxCols()), viewport()->width()).count, 1);
}

SheetView::Bars SheetView::neededBars(QSize room) const
{
    // Each bar takes room from the other direction.
    const int width = total(m_colPixels);
    const int height = total(m_rowPixels);
    Bars bars;
    bars.horizontal = width > room.width();
    bars.vertical = height > room.height() - (bars.horizontal ? horizontalScrollBar()->sizeHint().height() : 0);
    bars.horizontal = bars.horizontal || width > room.width() - (bars.vertical ? verticalScrollBar()->sizeHint().width() : 0);
    return bars;
}

void SheetView::updateScrollBars()
{
    // A table that fits the area without bars gets none: the bars a smaller
    // viewport once needed must not keep the viewport small. The ranges are
    // those of the viewport the bars will leave.
    const QSize room = maximumViewportSize();
    const Bars bars = neededBars(room);
    const int width = room.width() - (bars.vertical ? verticalScrollBar()->sizeHint().width() : 0);
    const int height = room.height() - (bars.horizontal ? horizontalScrollBar()->sizeHint().height() : 0);
    const int frozenCols = std::min(m_sheet.frozenCols(), m_sheet.maxCols());
    const int pagedRows = std::max(fitFromEnd(m_rowPixels, frozenRows(), height).count, 1);
    const int pagedCols = std::max(fitFromEnd(m_colPixels, frozenCols, width).count, 1);
    const int scrollRows = std::max(0, m_sheet.maxRows() - frozenRows());
    const int scrollCols = std::max(0, m_sheet.maxCols() - frozenCols);
    verticalScrollBar()->setRange(0, bars.vertical ? std::max(0, scrollRows - pagedRows) : 0);
    verticalScrollBar()->setPageStep(std::max(1, pagedRows - 1));
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, bars.horizontal ? std::max(0, scrollCols - pagedCols) : 0);
    horizontalScrollBar()->setPageStep(std::max(1, pagedCols - 1));
    horizontalScrollBar()->setSingleStep(1);
}

void SheetView::setFrozenRowsOnScreen(int rows)
{
    m_frozenRowsOnScreen = std::max(0, rows);
    updateScrollBars();
    viewport()->update();
}

int SheetView::frozenRows() const
{
    return std::min(std::max(m_sheet.frozenRows(), m_frozenRowsOnScreen), m_sheet.maxRows());
}

int SheetView::topRow() const
{
    return frozenRows() + 1 + verticalScrollBar()->value();
}

int SheetView::leftCol() const
{
    return std::min(m_sheet.frozenCols(), m_sheet.maxCols()) + 1 + horizontalScrollBar()->value();
}

void SheetView::scrollToCell(int col, int row)
{
    const int frozenRowCount = frozenRows();
    const int frozenCols = std::min(m_sheet.frozenCols(), m_sheet.maxCols());
    if (row > frozenRowCount) {
        const int first = topRow();
        const int last = first + pagedRows() - 1;
        if (row < first)
            verticalScrollBar()->setValue(row - frozenRowCount - 1);
        else if (row > last)
            verticalScrollBar()->setValue(row - frozenRowCount - pagedRows());
    }
    if (col > frozenCols) {
        const int first = leftCol();
        const int last = first + pagedCols() - 1;
        if (col < first)
            horizontalScrollBar()->setValue(col - frozenCols - 1);
        else if (col > last)
            horizontalScrollBar()->setValue(col - frozenCols - pagedCols());
    }
}

std::vector<SheetView::Span> SheetView::visibleColumns() const
{
    std::vector<Span> spans;
    const int width = viewport()->width();
    const int frozen = std::min(m_sheet.frozenCols(), m_sheet.maxCols());
    int x = 0;
    for (int c = 1; c <= frozen && x < width; ++c) {
        spans.push_back({c, x, m_colPixels[size_t(c)]});
        x += m_colPixels[size_t(c)];
    }
    for (int c = leftCol(); c <= m_sheet.maxCols() && x < width; ++c) {
        spans.push_back({c, x, m_colPixels[size_t(c)]});
        x += m_colPixels[size_t(c)];
    }
    return spans;
}

std::vector<SheetView::Span> SheetView::visibleRows() const
{
    std::vector<Span> spans;
    const int height = viewport()->height();
    const int frozen = frozenRows();
    int y = 0;
    for (int r = 1; r <= frozen && y < height; ++r) {
        spans.push_back({r, y, m_rowPixels[size_t(r)]});
        y += m_rowPixels[size_t(r)];
    }
    for (int r = topRow(); r <= m_sheet.maxRows() && y < height; ++r) {
        spans.push_back({r, y, m_rowPixels[size_t(r)]});
        y += m_rowPixels[size_t(r)];
    }
    return spans;
}

void SheetView::applyZoomFont()
{
    // The widget keeps its own font; the cells are drawn in it at the zoom.
    QFont zoomed = font();
    if (zoomed.pointSizeF() > 0)
        zoomed.setPointSizeF(zoomed.pointSizeF() * m_zoom / 100.0);
    else
        zoomed.setPixelSize(std::max(1, int(std::lround(zoomed.pixelSize() * m_zoom / 100.0))));
    viewport()->setFont(zoomed);
    m_texts.setFont(zoomed);
}

void SheetView::setZoom(int percent)
{
    percent = std::clamp(percent, MinZoom, MaxZoom);
    if (percent == m_zoom)
        return;
    m_zoom = percent;
    applyZoomFont();
    recomputeMetrics();
    // The current cell stays in view at the new size.
    if (hasSelection())
        scrollToCell(m_anchorCol, m_anchorRow);
    viewport()->update();
    Q_EMIT zoomChanged(m_zoom);
}

void SheetView::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        applyZoomFont();
        viewport()->update();
    }
}

void SheetView::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return QAbstractScrollArea::wheelEvent(event);
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        setZoom(m_zoom + steps * ZoomStep);
    event->accept();
}

void SheetView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), EmptyAreaColour);
    SheetPainter::Selection selection;
    if (hasSelection())
        selection = {m_selCol1, m_selRow1, m_selCol2, m_selRow2};
    SheetPainter::paint(painter, m_sheet, visibleColumns(), visibleRows(), m_colPixels, m_texts, selection);
}

void SheetView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    followTable();
}

void SheetView::setFollowsTable(bool on)
{
    m_followsTable = on;
    setSizePolicy(on ? QSizePolicy::Maximum : QSizePolicy::Expanding, sizePolicy().verticalPolicy());
    if (!on)
        setMaximumHeight(QWIDGETSIZE_MAX);
    followTable();
    updateGeometry();
}

void SheetView::followTable()
{
    if (!m_followsTable)
        return;
    // Ends below the last row, with room for a horizontal bar where the
    // view is narrower than the table after all; a height that now needs a
    // vertical bar (or no longer does) changes the width it asks for.
    const QSize room = maximumViewportSize();
    const int bar = neededBars(room).horizontal ? horizontalScrollBar()->sizeHint().height() : 0;
    const int height = 2 * frameWidth() + total(m_rowPixels) + bar;
    if (maximumHeight() != height)
        setMaximumHeight(height);
    if (neededBars(QSize(QWIDGETSIZE_MAX / 2, room.height())).vertical != m_neededVerticalBar)
        updateGeometry();
}

void SheetView::scrollContentsBy(int, int)
{
    viewport()->update();
}

Block SheetView::selection() const
{
    return Block::cells(m_selCol1, m_selRow1, m_selCol2, m_selRow2);
}

void SheetView::selectBlock(int col1, int row1, int col2, int row2)
{
    col1 = std::clamp(col1, 1, std::max(1, m_sheet.maxCols()));
    col2 = std::clamp(col2, 1, std::max(1, m_sheet.maxCols()));
    row1 = std::clamp(row1, 1, std::max(1, m_sheet.maxRows()));
    row2 = std::clamp(row2, 1, std::max(1, m_sheet.maxRows()));
    m_selCol1 = std::min(col1, col2);
    m_selCol2 = std::max(col1, col2);
    m_selRow1 = std::min(row1, row2);
    m_selRow2 = std::max(row1, row2);
    m_anchorCol = col1;
    m_anchorRow = row1;
    viewport()->update();
}

QString SheetView::selectedText() const
{
    return hasSelection() ? TableOutput::textWithCaptions(m_sheet, selection(), {}) : QString();
}

void SheetView::copySelection() const
{
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

QPoint SheetView::cellAt(const QPoint &pos) const
{
    int col = 0;
    int row = 0;
    for (const Span &span : visibleColumns()) {
        if (pos.x() >= span.start && pos.x() < span.start + span.length)
            col = span.index;
    }
    for (const Span &span : visibleRows()) {
        if (pos.y() >= span.start && pos.y() < span.start + span.length)
            row = span.index;
    }
    return col && row ? QPoint(col, row) : QPoint(0, 0);
}

void SheetView::mousePressEvent(QMouseEvent *event)
{
    const QPoint cell = cellAt(event->position().toPoint());
    // A right click acts on the cell under it, as in a spreadsheet: it is
    // selected unless it lies in the block already selected (which the
    // context menu then copies).
    if (cell.x() != 0 && event->button() == Qt::RightButton) {
        const Block block = selection();
        const bool inBlock = hasSelection() && cell.x() >= block.col1 && cell.x() <= block.col2
            && cell.y() >= block.row1 && cell.y() <= block.row2;
        if (!inBlock)
            selectBlock(cell.x(), cell.y(), cell.x(), cell.y());
        return QAbstractScrollArea::mousePressEvent(event);
    }
    if (cell.x() == 0 || event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    if (event->modifiers() & Qt::ShiftModifier && hasSelection()) {
        const int anchorCol = m_anchorCol;
        const int anchorRow = m_anchorRow;
        selectBlock(anchorCol, anchorRow, cell.x(), cell.y());
        m_anchorCol = anchorCol;
        m_anchorRow = anchorRow;
    } else {
        selectBlock(cell.x(), cell.y(), cell.x(), cell.y());
    }
}

void SheetView::mouseMoveEvent(QMouseEvent *event)
{
    if (!(event->buttons() & Qt::LeftButton) || !hasSelection())
        return QAbstractScrollArea::mouseMoveEvent(event);
    const QPoint cell = cellAt(event->position().toPoint());
    if (cell.x() == 0)
        return;
    const int anchorCol = m_anchorCol;
    const int anchorRow = m_anchorRow;
    selectBlock(anchorCol, anchorRow, cell.x(), cell.y());
    m_anchorCol = anchorCol;
    m_anchorRow = anchorRow;
}

void SheetView::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy)) {
        copySelection();
        return;
    }
    if (event->matches(QKeySequence::ZoomIn) || (event->modifiers() & Qt::ControlModifier
                                                 && (event->key() == Qt::Key_Plus || event->key() == Qt::Key_Equal))) {
        setZoom(m_zoom + ZoomStep);
        return;
    }
    if (event->matches(QKeySequence::ZoomOut) || (event->modifiers() & Qt::ControlModifier && event->key() == Qt::Key_Minus)) {
        setZoom(m_zoom - ZoomStep);
        return;
    }
    if (event->modifiers() & Qt::ControlModifier && event->key() == Qt::Key_0) {
        setZoom(100);
        return;
    }
    if (event->matches(QKeySequence::SelectAll)) {
        selectBlock(1, 1, m_sheet.maxCols(), m_sheet.maxRows());
        return;
    }
    // Without a selection the keys scroll; with one they move it.
    int dc = 0;
    int dr = 0;
    switch (event->key()) {
    case Qt::Key_Left:
        dc = -1;
        break;
    case Qt::Key_Right:
        dc = 1;
        break;
    case Qt::Key_Up:
        dr = -1;
        break;
    case Qt::Key_Down:
        dr = 1;
        break;
    case Qt::Key_PageUp:
        dr = -std::max(1, pagedRows() - 1);
        break;
    case Qt::Key_PageDown:
        dr = std::max(1, pagedRows() - 1);
        break;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier)
            dr = -m_sheet.maxRows();
        dc = -m_sheet.maxCols();
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier)
            dr = m_sheet.maxRows();
        dc = m_sheet.maxCols();
        break;
    default:
        return QAbstractScrollArea::keyPressEvent(event);
    }
    if (!hasSelection()) {
        verticalScrollBar()->setValue(verticalScrollBar()->value() + dr);
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + dc);
        return;
    }
    const int col = std::clamp(m_anchorCol + dc, 1, m_sheet.maxCols());
    const int row = std::clamp(m_anchorRow + dr, 1, m_sheet.maxRows());
    selectBlock(col, row, col, row);
    scrollToCell(col, row);
}

QSize SheetView::fittedSize(QSize room) const
{
    // Whole rows and columns only: scrolled to the end, the last row and
    // column then meet the frame as well, with no empty band beside them.
    const int frame = 2 * frameWidth();
    const Bars bars = neededBars(room - QSize(frame, frame));
    const int vbar = bars.vertical ? verticalScrollBar()->sizeHint().width() : 0;
    const int hbar = bars.horizontal ? horizontalScrollBar()->sizeHint().height() : 0;
    const int width = bars.horizontal
        ? fitFromEnd(m_colPixels, std::min(m_sheet.frozenCols(), m_sheet.maxCols()), room.width() - frame - vbar).pixels
        : total(m_colPixels);
    const int height = bars.vertical ? fitFromEnd(m_rowPixels, frozenRows(), room.height() - frame - hbar).pixels
                                     : total(m_rowPixels);
    return QSize(frame + width + vbar, frame + height + hbar).boundedTo(room);
}

QSize SheetView::sizeHint() const
{
    int width = 0;
    const int cols = std::min(m_sheet.maxCols(), std::max(m_sheet.visibleCols(), 1));
    for (int c = 1; c <= cols; ++c)
        width += m_colPixels.size() > size_t(c) ? m_colPixels[size_t(c)] : 0;
    int height = 0;
    const int rows = std::min(m_sheet.maxRows(), std::max(m_sheet.visibleRows(), 1));
    for (int r = 1; r <= rows; ++r)
        height += m_rowPixels.size() > size_t(r) ? m_rowPixels[size_t(r)] : 0;
    const int frame = 2 * frameWidth();
    if (m_followsTable) {
        // The whole table. Until it has a height of its own, the view takes
        // the table as needing no vertical bar; its first resize says
        // otherwise. As wide as the table, it needs no horizontal bar.
        const int room = isVisible() ? maximumViewportSize().height() : QWIDGETSIZE_MAX / 2;
        m_neededVerticalBar = neededBars(QSize(QWIDGETSIZE_MAX / 2, room)).vertical;
        return QSize(frame + total(m_colPixels) + (m_neededVerticalBar ? verticalScrollBar()->sizeHint().width() : 0),
                     frame + total(m_rowPixels));
    }
    return QSize(width + frame + verticalScrollBar()->sizeHint().width(),
                 height + frame + horizontalScrollBar()->sizeHint().height());
}
