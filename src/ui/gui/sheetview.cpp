#include "ui/gui/sheetview.h"

#include "ui/gui/metrics.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

// What the grid shows outside its cells.
const QColor EmptyAreaColour(0xc0, 0xc0, 0xc0);
const QColor SelectionColour(0x33, 0x66, 0xcc, 0x50);
constexpr int TextPadding = 2;
// How far back along a row a hidden cell's text may still run into view.
constexpr int OverflowLookBack = 64;
// The narrowest a squeezed text is drawn, as a share of its natural width.
constexpr double MinSqueeze = 0.5;

QColor toQColor(Colour c)
{
    return QColor(red(c), green(c), blue(c));
}

} // namespace

SheetView::SheetView(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setFont(Metrics::gridFont());
    viewport()->setFont(Metrics::gridFont());
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

void SheetView::setSheet(Sheet sheet)
{
    m_sheet = std::move(sheet);
    m_textCache.clear();
    const Block active = Block::cell(m_sheet.activeCol(), m_sheet.activeRow());
    if (m_sheet.contains(active.col1, active.row1))
        selectBlock(active.col1, active.row1, active.col1, active.row1);
    else
        m_selCol1 = m_selRow1 = m_selCol2 = m_selRow2 = 0;
    recomputeMetrics();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    viewport()->update();
    updateGeometry();
}

void SheetView::recomputeMetrics()
{
    m_colPixels.assign(size_t(m_sheet.maxCols()) + 1, 0);
    m_rowPixels.assign(size_t(m_sheet.maxRows()) + 1, 0);
    for (int c = 1; c <= m_sheet.maxCols(); ++c)
        m_colPixels[size_t(c)] = Metrics::columnPixels(m_sheet.colWidth(c));
    for (int r = 1; r <= m_sheet.maxRows(); ++r)
        m_rowPixels[size_t(r)] = Metrics::rowPixels(m_sheet.rowHeight(r));

    // Every row and column can be reached: a bar shows whenever the table
    // does not fit, even along an axis the table itself asks no bar for.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    updateScrollBars();
}

int SheetView::pagedRows() const
{
    // How many scrolled rows fit below the frozen ones, counted from the end,
    // so the last row can be brought fully into view.
    const int frozen = std::min(m_sheet.frozenRows(), m_sheet.maxRows());
    int height = viewport()->height();
    for (int r = 1; r <= frozen; ++r)
        height -= m_rowPixels[size_t(r)];
    int fit = 0;
    for (int r = m_sheet.maxRows(); r > frozen; --r) {
        height -= m_rowPixels[size_t(r)];
        if (height < 0)
            break;
        ++fit;
    }
    return std::max(fit, 1);
}

int SheetView::pagedCols() const
{
    const int frozen = std::min(m_sheet.frozenCols(), m_sheet.maxCols());
    int width = viewport()->width();
    for (int c = 1; c <= frozen; ++c)
        width -= m_colPixels[size_t(c)];
    int fit = 0;
    for (int c = m_sheet.maxCols(); c > frozen; --c) {
        width -= m_colPixels[size_t(c)];
        if (width < 0)
            break;
        ++fit;
    }
    return std::max(fit, 1);
}

void SheetView::updateScrollBars()
{
    // A table that fits the area without bars gets none: the bars a smaller
    // viewport once needed must not keep the viewport small.
    const QSize room = maximumViewportSize();
    int contentWidth = 0;
    int contentHeight = 0;
    for (int c = 1; c <= m_sheet.maxCols() && contentWidth <= room.width(); ++c)
        contentWidth += m_colPixels[size_t(c)];
    for (int r = 1; r <= m_sheet.maxRows() && contentHeight <= room.height(); ++r)
        contentHeight += m_rowPixels[size_t(r)];
    if (contentWidth <= room.width() && contentHeight <= room.height()) {
        verticalScrollBar()->setRange(0, 0);
        horizontalScrollBar()->setRange(0, 0);
        return;
    }
    const int scrollRows = std::max(0, m_sheet.maxRows() - std::min(m_sheet.frozenRows(), m_sheet.maxRows()));
    const int scrollCols = std::max(0, m_sheet.maxCols() - std::min(m_sheet.frozenCols(), m_sheet.maxCols()));
    verticalScrollBar()->setRange(0, std::max(0, scrollRows - pagedRows()));
    verticalScrollBar()->setPageStep(std::max(1, pagedRows() - 1));
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setRange(0, std::max(0, scrollCols - pagedCols()));
    horizontalScrollBar()->setPageStep(std::max(1, pagedCols() - 1));
    horizontalScrollBar()->setSingleStep(1);
}

int SheetView::topRow() const
{
    return std::min(m_sheet.frozenRows(), m_sheet.maxRows()) + 1 + verticalScrollBar()->value();
}

int SheetView::leftCol() const
{
    return std::min(m_sheet.frozenCols(), m_sheet.maxCols()) + 1 + horizontalScrollBar()->value();
}

void SheetView::scrollToCell(int col, int row)
{
    const int frozenRows = std::min(m_sheet.frozenRows(), m_sheet.maxRows());
    const int frozenCols = std::min(m_sheet.frozenCols(), m_sheet.maxCols());
    if (row > frozenRows) {
        const int first = topRow();
        const int last = first + pagedRows() - 1;
        if (row < first)
            verticalScrollBar()->setValue(row - frozenRows - 1);
        else if (row > last)
            verticalScrollBar()->setValue(row - frozenRows - pagedRows());
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
    const int frozen = std::min(m_sheet.frozenRows(), m_sheet.maxRows());
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

const QStaticText &SheetView::staticText(const QString &text) const
{
    auto it = m_textCache.find(text);
    if (it == m_textCache.end()) {
        QStaticText prepared(text);
        prepared.setTextFormat(Qt::PlainText);
        prepared.prepare(QTransform(), viewport()->font());
        it = m_textCache.insert(text, prepared);
    }
    return it.value();
}

void SheetView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), EmptyAreaColour);
    const std::vector<Span> cols = visibleColumns();
    const std::vector<Span> rows = visibleRows();
    if (cols.empty() || rows.empty())
        return;

    const int frozenCols = std::min(m_sheet.frozenCols(), m_sheet.maxCols());
    int frozenWidth = 0;
    for (const Span &col : cols) {
        if (col.index <= frozenCols)
            frozenWidth = col.start + col.length;
    }
    const int gridRight = cols.back().start + cols.back().length;

    // Backgrounds, runs of one colour along a row filled at once.
    for (const Span &row : rows) {
        size_t i = 0;
        while (i < cols.size()) {
            const Colour back = m_sheet.cell(cols[i].index, row.index).back;
            size_t j = i + 1;
            while (j < cols.size() && m_sheet.cell(cols[j].index, row.index).back == back)
                ++j;
            const int x2 = cols[j - 1].start + cols[j - 1].length;
            painter.fillRect(QRect(cols[i].start, row.start, x2 - cols[i].start, row.length), toQColor(back));
            i = j;
        }
    }

    // Selection.
    if (hasSelection()) {
        for (const Span &row : rows) {
            if (row.index < m_selRow1 || row.index > m_selRow2)
                continue;
            for (const Span &col : cols) {
                if (col.index >= m_selCol1 && col.index <= m_selCol2)
                    painter.fillRect(QRect(col.start, row.start, col.length, row.length), SelectionColour);
            }
        }
    }

    // Texts. A text that fits is drawn straight; one that does not runs on
    // over empty cells to the right (left-aligned), to the left
    // (right-aligned) or to both sides (centred) when overflow is allowed,
    // and is clipped to what it may cover.
    const QFontMetrics metrics(viewport()->font());
    const int lineHeight = metrics.height();
    const bool overflow = m_sheet.overflow();
    // A text wider than the room it has is drawn narrower, squeezed along
    // the line to fit, so that no caption loses characters or runs into its
    // neighbour.
    auto drawAligned = [&](const Cell &cell, const QRect &rect, int padding) {
        const QStaticText &text = staticText(cell.text);
        const double natural = text.size().width();
        const int room = std::max(1, rect.width() - 2 * padding);
        const double squeeze = natural > room ? std::max(MinSqueeze, room / natural) : 1.0;
        const int w = int(std::ceil(natural * squeeze));
        int x = rect.left() + padding;
        if (cell.hAlign == HAlign::Center)
            x = rect.left() + (rect.width() - w) / 2;
        else if (cell.hAlign == HAlign::Right)
            x = rect.right() + 1 - padding - w;
        int y = rect.top() + rect.height() - lineHeight;
        if (cell.vAlign == VAlign::Center)
            y = rect.top() + (rect.height() - lineHeight) / 2;
        else if (cell.vAlign == VAlign::Top)
            y = rect.top();
        painter.setPen(toQColor(cell.fore));
        if (squeeze == 1.0) {
            painter.drawStaticText(x, y, text);
            return;
        }
        painter.save();
        painter.translate(x, y);
        painter.scale(squeeze, 1.0);
        painter.drawStaticText(0, 0, text);
        painter.restore();
    };
    for (const Span &row : rows) {
        for (size_t i = 0; i < cols.size(); ++i) {
            const Span &col = cols[i];
            const Cell &cell = m_sheet.cell(col.index, row.index);
            if (cell.text.isEmpty())
                continue;
            QRect textRect(col.start, row.start, col.length, row.length);
            const int width = int(std::ceil(staticText(cell.text).size().width()));
            if (width + 2 * TextPadding <= col.length) {
                drawAligned(cell, textRect, TextPadding);
                continue;
            }
            const bool inFrozen = col.index <= frozenCols;
            const int clipLeft = inFrozen ? 0 : frozenWidth;
            const int clipRight = inFrozen ? frozenWidth : gridRight;
            if (overflow) {
                const bool right = cell.hAlign == HAlign::Left || cell.hAlign == HAlign::Center;
                const bool left = cell.hAlign == HAlign::Right || cell.hAlign == HAlign::Center;
                int x2 = col.start + col.length;
                for (size_t j = i + 1; right && j < cols.size(); ++j) {
                    if (cols[j].index != cols[j - 1].index + 1 || !m_sheet.cell(cols[j].index, row.index).text.isEmpty())
                        break;
                    x2 = cols[j].start + cols[j].length;
                }
                int x1 = col.start;
                for (size_t j = i; left && j > 0; --j) {
                    if (cols[j - 1].index != cols[j].index - 1 || !m_sheet.cell(cols[j - 1].index, row.index).text.isEmpty())
                        break;
                    x1 = cols[j - 1].start;
                }
                if (cell.hAlign == HAlign::Center) {
                    // Keep the text centred on its own cell.
                    const int centre = col.start + col.length / 2;
                    const int half = std::min(centre - x1, x2 - centre);
                    textRect = QRect(centre - half, row.start, 2 * half, row.length);
                } else {
                    textRect = QRect(x1, row.start, x2 - x1, row.length);
                }
            }
            painter.save();
            painter.setClipRect(QRect(QPoint(clipLeft, row.start), QPoint(clipRight - 1, row.start + row.length - 1))
                                    .intersected(textRect));
            // Narrow cells give up their padding before they squeeze their text.
            drawAligned(cell, textRect, width + 2 * TextPadding > textRect.width() ? 1 : TextPadding);
            painter.restore();
        }
        // A left-aligned text in a column scrolled out of view still runs on
        // into the empty cells that are in view.
        if (overflow) {
            size_t first = 0;
            while (first < cols.size() && cols[first].index <= frozenCols)
                ++first;
            if (first < cols.size() && cols[first].index > frozenCols + 1) {
                int x = cols[first].start;
                const int lookBackLimit = std::max(frozenCols + 1, cols[first].index - OverflowLookBack);
                for (int c = cols[first].index - 1; c >= lookBackLimit; --c) {
                    x -= m_colPixels[size_t(c)];
                    if (!m_sheet.cell(c + 1, row.index).text.isEmpty())
                        break;
                    const Cell &hidden = m_sheet.cell(c, row.index);
                    if (hidden.text.isEmpty())
                        continue;
                    if (hidden.hAlign == HAlign::Left) {
                        int x2 = cols[first].start;
                        for (size_t j = first; j < cols.size(); ++j) {
                            if (!m_sheet.cell(cols[j].index, row.index).text.isEmpty())
                                break;
                            x2 = cols[j].start + cols[j].length;
                        }
                        painter.save();
                        painter.setClipRect(QRect(cols[first].start, row.start, x2 - cols[first].start, row.length));
                        drawAligned(hidden, QRect(x, row.start, x2 - x, row.length), TextPadding);
                        painter.restore();
                    }
                    break;
                }
            }
        }
    }

    // Borders, each side on the cell's edge so neighbours share one line;
    // lines of one colour are drawn together.
    QHash<Colour, QVector<QLine>> lines;
    for (const Span &row : rows) {
        for (const Span &col : cols) {
            const Cell &cell = m_sheet.cell(col.index, row.index);
            const int x1 = col.start;
            const int y1 = row.start;
            const int x2 = col.start + col.length;
            const int y2 = row.start + row.length;
            if (cell.left.on)
                lines[cell.left.colour].append(QLine(x1, y1, x1, y2));
            if (cell.right.on)
                lines[cell.right.colour].append(QLine(x2, y1, x2, y2));
            if (cell.top.on)
                lines[cell.top.colour].append(QLine(x1, y1, x2, y1));
            if (cell.bottom.on)
                lines[cell.bottom.colour].append(QLine(x1, y2, x2, y2));
        }
    }
    for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
        painter.setPen(toQColor(it.key()));
        painter.drawLines(it.value());
    }
}

void SheetView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
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
    if (!hasSelection())
        return {};
    QString text;
    for (int r = m_selRow1; r <= m_selRow2; ++r) {
        for (int c = m_selCol1; c <= m_selCol2; ++c) {
            if (c > m_selCol1)
                text += QLatin1Char('\t');
            text += m_sheet.text(c, r);
        }
        text += QLatin1Char('\n');
    }
    return text;
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
    return QSize(width + frame + verticalScrollBar()->sizeHint().width(),
                 height + frame + horizontalScrollBar()->sizeHint().height());
}
