#include "ui/sheet.h"

#include <algorithm>

void Sheet::reshape(int cols, int rows)
{
    cols = std::max(cols, 0);
    rows = std::max(rows, 0);
    if (cols == m_cols && rows == m_rows)
        return;
    if (cols == m_cols) {
        // Rows only: the cells kept stay where they are.
        m_cells.resize(size_t(cols) * size_t(rows));
    } else {
        std::vector<Slot> cells(size_t(cols) * size_t(rows));
        const int keepCols = std::min(cols, m_cols);
        const int keepRows = std::min(rows, m_rows);
        for (int r = 1; r <= keepRows; ++r) {
            for (int c = 1; c <= keepCols; ++c)
                cells[size_t(r - 1) * size_t(cols) + size_t(c - 1)] = at(c, r);
        }
        m_cells = std::move(cells);
    }
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

size_t Sheet::StyleHash::operator()(const CellStyle &style) const noexcept
{
    auto line = [](const BorderLine &l) { return l.on ? size_t(l.colour) | (size_t(1) << 24) : 0; };
    size_t h = size_t(style.fore) * 0x9E3779B97F4A7C15ull ^ size_t(style.back);
    h = h * 31 + (size_t(style.hAlign) << 4 | size_t(style.vAlign) << 2 | size_t(style.isStatic));
    h = h * 31 + line(style.left);
    h = h * 31 + line(style.right);
    h = h * 31 + line(style.top);
    h = h * 31 + line(style.bottom);
    return h;
}

quint32 Sheet::internStyle(const CellStyle &style)
{
    const auto [it, added] = m_styleIndex.try_emplace(style, quint32(m_styles.size()));
    if (added)
        m_styles.push_back(style);
    return it->second;
}

quint32 Sheet::internString(const QString &text)
{
    if (text.isEmpty())
        return 0;
    const auto it = m_stringIndex.constFind(text);
    if (it != m_stringIndex.constEnd())
        return *it;
    const quint32 index = quint32(m_strings.size());
    m_strings.push_back(text);
    m_stringIndex.insert(text, index);
    return index;
}

template <typename F>
void Sheet::restyle(Block block, bool needsEdges, F &&change)
{
    const Range range = clip(block);
    if (range.empty())
        return;
    // A large block mostly holds a few styles: each (old style, edges) pair
    // is worked out once and its result reused for the other cells. Single
    // cells and small blocks, set in loops, go straight to the records.
    const size_t cells = size_t(range.c2 - range.c1 + 1) * size_t(range.r2 - range.r1 + 1);
    const size_t variants = needsEdges ? 16 : 1;
    std::vector<quint32> done(cells > 64 ? m_styles.size() * variants : 0, ~quint32(0));
    for (int r = range.r1; r <= range.r2; ++r) {
        for (int c = range.c1; c <= range.c2; ++c) {
            Slot &slot = at(c, r);
            int edges = 0;
            if (needsEdges) {
                edges = (c == range.c1 ? Border::Left : 0) | (c == range.c2 ? Border::Right : 0)
                    | (r == range.r1 ? Border::Top : 0) | (r == range.r2 ? Border::Bottom : 0);
            }
            quint32 *result = done.empty() ? nullptr : &done[size_t(slot.style) * variants + size_t(edges)];
            if (!result || *result == ~quint32(0)) {
                CellStyle style = m_styles[slot.style];
                change(style, edges);
                const quint32 index = internStyle(style);
                if (result)
                    *result = index;
                slot.style = index;
            } else {
                slot.style = *result;
            }
        }
    }
}

void Sheet::setStatic(Block block, bool isStatic)
{
    restyle(block, false, [&](CellStyle &style, int) { style.isStatic = isStatic; });
}

void Sheet::setStaticCentred(Block block)
{
    restyle(block, false, [](CellStyle &style, int) {
        style.isStatic = true;
        style.hAlign = HAlign::Center;
        style.vAlign = VAlign::Center;
    });
}

void Sheet::setAlignment(Block block, HAlign h, VAlign v)
{
    restyle(block, false, [&](CellStyle &style, int) {
        style.hAlign = h;
        style.vAlign = v;
    });
}

void Sheet::setHAlign(Block block, HAlign h)
{
    restyle(block, false, [&](CellStyle &style, int) { style.hAlign = h; });
}

void Sheet::setVAlign(Block block, VAlign v)
{
    restyle(block, false, [&](CellStyle &style, int) { style.vAlign = v; });
}

void Sheet::setForeColour(Block block, Colour colour)
{
    restyle(block, false, [&](CellStyle &style, int) { style.fore = colour; });
}

void Sheet::setBackColour(Block block, Colour colour)
{
    restyle(block, false, [&](CellStyle &style, int) { style.back = colour; });
}

void Sheet::setColours(Block block, Colour fore, Colour back)
{
    restyle(block, false, [&](CellStyle &style, int) {
        style.fore = fore;
        style.back = back;
    });
}

void Sheet::setBorder(Block block, int type, Colour colour)
{
    m_borderColour = colour;
    setBorder(block, type);
}

void Sheet::setBorder(Block block, int type)
{
    const BorderLine line{true, m_borderColour};
    restyle(block, (type & Border::Outline) != 0, [&](CellStyle &style, int edges) {
        if (type == Border::None) {
            style.left = style.right = style.top = style.bottom = BorderLine{};
            return;
        }
        const int sides = (type & Border::All) | (type & Border::Outline ? edges : 0);
        if (sides & Border::Left)
            style.left = line;
        if (sides & Border::Right)
            style.right = line;
        if (sides & Border::Top)
            style.top = line;
        if (sides & Border::Bottom)
            style.bottom = line;
    });
}

void Sheet::setText(int col, int row, const QString &text)
{
    if (contains(col, row))
        at(col, row).text = internString(text);
}

void Sheet::setText(int col, int row, long long number)
{
    // Counts, totals and draw numbers need no string of their own.
    if (number >= 0 && number < NumberFlag) {
        if (contains(col, row))
            at(col, row).text = NumberFlag | quint32(number);
        return;
    }
    setText(col, row, QString::number(number));
}

namespace {

// The digits of the small numbers most cells hold, made once: painting asks
// for a cell's text many times per frame.
QString numberText(quint32 number)
{
    static const std::vector<QString> small = [] {
        std::vector<QString> texts(1024);
        for (size_t n = 0; n < texts.size(); ++n)
            texts[n] = QString::number(n);
        return texts;
    }();
    return number < small.size() ? small[number] : QString::number(number);
}

} // namespace

QString Sheet::text(int col, int row) const
{
    if (!contains(col, row))
        return QString();
    const quint32 text = at(col, row).text;
    return text & NumberFlag ? numberText(text & ~NumberFlag) : m_strings[text];
}

void Sheet::setActiveCell(int col, int row)
{
    m_activeCol = col;
    m_activeRow = row;
}

Cell Sheet::cell(int col, int row) const
{
    Cell cell;
    if (!contains(col, row))
        return cell;
    static_cast<CellStyle &>(cell) = m_styles[at(col, row).style];
    cell.text = text(col, row);
    return cell;
}

const CellStyle &Sheet::style(int col, int row) const
{
    return contains(col, row) ? m_styles[at(col, row).style] : m_styles[0];
}

Sheet::TextRef Sheet::textRef(int col, int row) const
{
    if (!contains(col, row))
        return {&m_strings[0], 0, 0};
    const quint32 text = at(col, row).text;
    if (text & NumberFlag)
        return {nullptr, (long long)(text & ~NumberFlag), 0};
    return {&m_strings[text], 0, text};
}
