#include "ui/sheet.h"

#include <algorithm>

void Sheet::reshape(int cols, int rows)
{
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    if (cols == m_cols && rows == m_rows)
        return;
    std::vector<Cell> cells(size_t(cols) * size_t(rows));
    const int keepCols = std::min(cols, m_cols);
    const int keepRows = std::min(rows, m_rows);
    for (int r = 1; r <= keepRows; ++r) {
        for (int c = 1; c <= keepCols; ++c)
            cells[size_t(r - 1) * size_t(cols) + size_t(c - 1)] = std::move(at(c, r));
    }
    m_cells = std::move(cells);
    m_cols = cols;
    m_rows = rows;
    m_colWidths.resize(size_t(cols) + 1, -1.0);
    m_rowHeights.resize(size_t(rows) + 1, -1.0);
}

void Sheet::setMaxCols(int cols)
{
    reshape(cols, m_rows);
}

void Sheet::setMaxRows(int rows)
{
    reshape(m_cols, rows);
}

void Sheet::setDimensions(int cols, int rows, int visibleCols, int visibleRows)
{
    reshape(cols, rows);
    m_visibleCols = visibleCols;
    m_visibleRows = visibleRows;
}

void Sheet::setRowHeight(int row, double height)
{
    if (row == -1) {
        m_defaultRowHeight = height;
        std::fill(m_rowHeights.begin(), m_rowHeights.end(), -1.0);
    } else if (row >= 0 && row <= m_rows) {
        m_rowHeights[size_t(row)] = height;
    }
}

void Sheet::setColWidth(int col, double width)
{
    if (col == -1) {
        m_defaultColWidth = width;
        std::fill(m_colWidths.begin(), m_colWidths.end(), -1.0);
    } else if (col >= 0 && col <= m_cols) {
        m_colWidths[size_t(col)] = width;
    }
}

double Sheet::rowHeight(int row) const
{
    if (row >= 0 && row <= m_rows && m_rowHeights[size_t(row)] >= 0)
        return m_rowHeights[size_t(row)];
    return m_defaultRowHeight;
}

double Sheet::colWidth(int col) const
{
    if (col >= 0 && col <= m_cols && m_colWidths[size_t(col)] >= 0)
        return m_colWidths[size_t(col)];
    return m_defaultColWidth;
}

Sheet::Range Sheet::clip(Block block) const
{
    // A block whose first row or column lies beyond its last one is empty,
    // as "rows 3 to the last row" is when the grid has two rows.
    Range range;
    const bool allCols = block.col1 == -1 || block.col2 == -1;
    const bool allRows = block.row1 == -1 || block.row2 == -1;
    range.c1 = allCols ? 1 : std::max(block.col1, 1);
    range.c2 = allCols ? m_cols : std::min(block.col2, m_cols);
    range.r1 = allRows ? 1 : std::max(block.row1, 1);
    range.r2 = allRows ? m_rows : std::min(block.row2, m_rows);
    return range;
}

template <typename F>
void Sheet::forEach(Block block, F &&f)
{
    const Range range = clip(block);
    if (range.empty())
        return;
    for (int r = range.r1; r <= range.r2; ++r) {
        for (int c = range.c1; c <= range.c2; ++c)
            f(at(c, r), c, r);
    }
}

void Sheet::setStatic(Block block, bool isStatic)
{
    forEach(block, [&](Cell &cell, int, int) { cell.isStatic = isStatic; });
}

void Sheet::setStaticCentred(Block block)
{
    forEach(block, [](Cell &cell, int, int) {
        cell.isStatic = true;
        cell.hAlign = HAlign::Center;
        cell.vAlign = VAlign::Center;
    });
}

void Sheet::setAlignment(Block block, HAlign h, VAlign v)
{
    forEach(block, [&](Cell &cell, int, int) {
        cell.hAlign = h;
        cell.vAlign = v;
    });
}

void Sheet::setHAlign(Block block, HAlign h)
{
    forEach(block, [&](Cell &cell, int, int) { cell.hAlign = h; });
}

void Sheet::setVAlign(Block block, VAlign v)
{
    forEach(block, [&](Cell &cell, int, int) { cell.vAlign = v; });
}

void Sheet::setForeColour(Block block, Colour colour)
{
    forEach(block, [&](Cell &cell, int, int) { cell.fore = colour; });
}

void Sheet::setBackColour(Block block, Colour colour)
{
    forEach(block, [&](Cell &cell, int, int) { cell.back = colour; });
}

void Sheet::setColours(Block block, Colour fore, Colour back)
{
    forEach(block, [&](Cell &cell, int, int) {
        cell.fore = fore;
        cell.back = back;
    });
}

void Sheet::setBorder(Block block, int type, Colour colour)
{
    m_borderColour = colour;
    setBorder(block, type);
}

void Sheet::setBorder(Block block, int type)
{
    const Range range = clip(block);
    if (range.empty())
        return;
    const BorderLine line{true, m_borderColour};
    forEach(block, [&](Cell &cell, int c, int r) {
        if (type == Border::None) {
            cell.left = cell.right = cell.top = cell.bottom = BorderLine{};
            return;
        }
        if (type & Border::Left)
            cell.left = line;
        if (type & Border::Right)
            cell.right = line;
        if (type & Border::Top)
            cell.top = line;
        if (type & Border::Bottom)
            cell.bottom = line;
        if (type & Border::Outline) {
            if (c == range.c1)
                cell.left = line;
            if (c == range.c2)
                cell.right = line;
            if (r == range.r1)
                cell.top = line;
            if (r == range.r2)
                cell.bottom = line;
        }
    });
}

void Sheet::setText(int col, int row, const QString &text)
{
    if (contains(col, row))
        at(col, row).text = text;
}

void Sheet::setText(int col, int row, long long number)
{
    setText(col, row, QString::number(number));
}

QString Sheet::text(int col, int row) const
{
    return contains(col, row) ? cell(col, row).text : QString();
}

void Sheet::setActiveCell(int col, int row)
{
    m_activeCol = col;
    m_activeRow = row;
}

const Cell &Sheet::cell(int col, int row) const
{
    static const Cell outside;
    if (!contains(col, row))
        return outside;
    return m_cells[size_t(row - 1) * size_t(m_cols) + size_t(col - 1)];
}
